#include "hw/ProcessorIdentity.h"

#include <gtest/gtest.h>

#include <cstring>

#include "TestMachines.h"
#include "hw/ModelNumber.h"
#include "hw/MsrAccess.h"
#include "hw/ProcessorSupport.h"
#include "hw/TjMax.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

constexpr uint32_t kVendorEbx = 0x756E6547;  // "Genu"
constexpr uint32_t kVendorEdx = 0x49656E69;  // "ineI"
constexpr uint32_t kVendorEcx = 0x6C65746E;  // "ntel"

// A two-core machine with the given signature and brand string; the brand
// is NUL padded to 48 bytes like the processor's.
MachineDescription Machine(int signature, const std::string& brand) {
  MachineDescription machine;
  machine.systemAffinity = 0x3;
  machine.cpuid[{0, 0}] = {0xD, kVendorEbx, kVendorEcx, kVendorEdx};
  machine.cpuid[{1, 0}] = {static_cast<uint32_t>(signature), 0x00020800, 0x0008E3FD, 0xBFEBFBFF};
  machine.cpuid[{4, 0}] = {0x04000121, 0, 0, 0};
  machine.cpuid[{0x80000000, 0}] = {0x80000008, 0, 0, 0};
  char bytes[48] = {};
  std::memcpy(bytes, brand.data(), std::min<size_t>(brand.size(), 48));
  for (uint32_t leaf = 0; leaf < 3; ++leaf) {
    uint32_t regs[4];
    std::memcpy(regs, bytes + 16 * leaf, 16);
    machine.cpuid[{0x80000002 + leaf, 0}] = {regs[0], regs[1], regs[2], regs[3]};
  }
  return machine;
}

struct Identified {
  std::string model;
  int tjMax[kCoreSlots];
};

Identified Identify(const MachineDescription& machine) {
  SimulatedProcessor processor(machine);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  ProcessorIdentity identity;
  EXPECT_FALSE(IdentifyProcessor(access, identity).has_value());
  Identified result{identity.ModelText(), {}};
  std::copy(std::begin(identity.tjMax), std::end(identity.tjMax), result.tjMax);
  return result;
}

std::string Undecorated(const MachineDescription& machine) {
  SimulatedProcessor processor(machine);
  BrandText model;
  ParseModelNumber(processor, model);
  return ToUtf8(model);
}

TEST(ProcessorIdentity, RealBrandStrings) {
  struct Case {
    int signature;
    const char* brand;
    const char* model;      // from the brand string
    const char* decorated;  // as shown
    int tjMax;
  } cases[] = {
      {0x1067A, "Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz", "E8400", "E8400", 100},
      {0x1067A, "Intel(R) Core(TM)2 Quad  CPU   Q9550  @ 2.83GHz", "Q9550", "Quad Q9550", 100},
      {0x10677, "Intel(R) Core(TM)2 Quad  CPU   Q9300  @ 2.50GHz", "Q9300", "Quad Q9300", 100},
      {0x6FB, "Intel(R) Core(TM)2 Quad CPU    Q6600  @ 2.40GHz", "Q6600", "Quad Q6600", 100},
      {0x10676, "Intel(R) Core(TM)2 Extreme CPU X9650  @ 3.00GHz", "QX9650", "QX9650", 100},
      {0x10677, "Intel(R) Core(TM)2 Extreme CPU X9770  @ 3.20GHz", "QX9770", "QX9770", 85},
      {0x10676, "Intel(R) Core(TM)2 Duo CPU     T9300  @ 2.50GHz", "T9300", "T9300", 105},
      {0x6FD, "Intel(R) Core(TM)2 Duo CPU     T7500  @ 2.20GHz", "T7500", "T7500", 100},
      {0x10676, "Intel(R) Core(TM)2 Duo CPU     P8600  @ 2.40GHz", "P8600", "P8600", 105},
      {0x10676, "Intel(R) Core(TM)2 Duo CPU     P7350  @ 2.00GHz", "P7350", "P7350", 90},
      {0x10676, "Intel(R) Core(TM)2 Duo CPU     SP9400  @ 2.40GHz", "SP9400", "SP9400", 105},
      {0x10676, "Intel(R) Core(TM)2 Duo CPU     X9100  @ 3.06GHz", "X9100", "X9100", 105},
      {0x6F6, "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz", "E6600", "E6600", 90},
      {0x6FB, "Intel(R) Core(TM)2 CPU          6850  @ 3.00GHz", "E6850", "E6850", 100},
      {0x6F6, "Intel(R) Core(TM)2 CPU         T7200  @ 2.00GHz", "T7200", "T7200", 100},
      {0x6F6, "Intel(R) Core(TM)2 CPU          7200  @ 2.00GHz", "T7200", "T7200", 100},
      {0x10676, "Intel(R) Core(TM)2 Duo CPU     E7200  @ 2.53GHz", "E7200", "E7200", 100},
      {0x6FD, "Intel(R) Pentium(R) Dual  CPU  E2200  @ 2.20GHz", "E2200", "E2200", 100},
      {0x106C2, "Intel(R) Atom(TM) CPU N270   @ 1.60GHz", "N270", "Atom N270", 90},
      {0x106C2, "Intel(R) Atom(TM) CPU Z520   @ 1.33GHz", "Z520", "Atom Z520", 90},
      {0x10676, "Intel(R) Xeon(R) CPU           E5472  @ 3.00GHz", "E5472", "Xeon E5472", 90},
      {0x10676, "Intel(R) Xeon(R) CPU           X5482  @ 3.20GHz", "X5482", "Xeon X5482", 100},
      {0x6FB, "Intel(R) Xeon(R) CPU            5160  @ 3.00GHz", "5160", "Xeon 5160", 100},
      {0x6F6, "Genuine Intel(R) CPU           T2300E @ 1.66GHz", "T2300E", "T2300E", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    MachineDescription machine = Machine(c.signature, c.brand);
    EXPECT_EQ(Undecorated(machine), c.model);
    Identified identified = Identify(machine);
    EXPECT_EQ(identified.model, c.decorated);
    for (int tjMax : identified.tjMax) EXPECT_EQ(tjMax, c.tjMax);
  }
}

TEST(ProcessorIdentity, BareNumbersTakeTheFirstTablePrefixOnly) {
  struct Case {
    int signature;
    const char* brand;
    const char* model;
    int tjMax;
  } cases[] = {
      // In the E and the T table: only E, and the T rules do not see it.
      {0x6FD, "Intel(R) Pentium(R) Dual  CPU   2200  @ 2.20GHz", "E2200", 100},
      // In the E and the X table: E, then the server rule.
      {0x10676, "Intel(R) Xeon(R) CPU            5472  @ 3.00GHz", "Xeon E5472", 90},
      // Mobile numbers on the low-voltage and ultra-low-voltage steppings.
      {0x6FA, "Intel(R) Core(TM)2 CPU          7400  @ 2.16GHz", "LT7400", 100},
      {0x6FD, "Intel(R) Core(TM)2 CPU          7400  @ 2.16GHz", "UT7400", 100},
      {0x6F2, "Intel(R) Core(TM)2 CPU          7400  @ 2.16GHz", "UT7400", 100},
      {0x6FB, "Intel(R) Core(TM)2 CPU          7400  @ 2.16GHz", "T7400", 100},
      {0x6FB, "Intel(R) Core(TM)2 CPU          6800  @ 2.93GHz", "X6800", 100},
      {0x10676, "Intel(R) Core(TM)2 CPU          9770  @ 3.20GHz", "QX9770", 85},
      {0x6F7, "Intel(R) Core(TM)2 Quad CPU     6850  @ 3.00GHz", "Quad QX6850", 85},
      {0x6FB, "Intel(R) Core(TM)2 Extreme CPU  6850  @ 3.00GHz", "QX6850", 95},
      // 7200 stays bare on any other signature.
      {0x6FB, "Intel(R) Core(TM)2 CPU          7200  @ 2.00GHz", "7200", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    Identified identified = Identify(Machine(c.signature, c.brand));
    EXPECT_EQ(identified.model, c.model);
    EXPECT_EQ(identified.tjMax[0], c.tjMax);
  }
}

TEST(ProcessorIdentity, ExtremeModelsKeepTheirTjMaxAfterTheQ9000Rule) {
  struct Case {
    int signature;
    const char* brand;
    const char* model;
    int tjMax;
  } cases[] = {
      {0x6F7, "Intel(R) Core(TM)2 Extreme CPU Q6800  @ 2.93GHz", "QX6800", 85},
      {0x6FB, "Intel(R) Core(TM)2 Extreme CPU Q6800  @ 2.93GHz", "QX6800", 95},
      {0x10677, "Intel(R) Core(TM)2 Extreme CPU X9775  @ 3.20GHz", "QX9775", 85},
      {0x10676, "Intel(R) Core(TM)2 Quad  CPU   Q9650  @ 3.00GHz", "Quad Q9650", 100},
      // Below Q9000 the signature rule stands.
      {0x6F7, "Intel(R) Core(TM)2 Quad CPU    Q6700  @ 2.66GHz", "Quad Q6700", 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    Identified identified = Identify(Machine(c.signature, c.brand));
    EXPECT_EQ(identified.model, c.model);
    EXPECT_EQ(identified.tjMax[0], c.tjMax);
  }
}

TEST(ProcessorIdentity, BrandStringsWithoutANumberUseTheClock) {
  struct Case {
    int signature;
    const char* brand;
    const char* model;
    int tjMax;
  } cases[] = {
      {0x6F6, "Intel(R) Core(TM)2 CPU          @ 2.40GHz", "E6600", 90},
      {0x6F7, "Intel(R) Core(TM)2 CPU          @ 2.40GHz", "Q6600", 90},
      {0x6F6, "Intel(R) Core(TM)2 CPU          @ 2.66GHz", "E6700", 90},
      {0x6F7, "Intel(R) Core(TM)2 CPU          @ 2.66GHz", "QX6700", 90},
      {0x6F7, "Intel(R) Core(TM)2 CPU          @ 2.93GHz", "QX6800", 85},
      {0x6FB, "Intel(R) Core(TM)2 CPU          @ 2.93GHz", "QX6800", 95},
      // X6800 begins with a letter after Q; its signature's 90 must stand.
      {0x6F6, "Intel(R) Core(TM)2 CPU          @ 2.93GHz", "X6800", 90},
      // Nothing known: empty, which every small-core table text contains.
      {0x6FB, "Intel(R) Core(TM)2 CPU          @ 2.13GHz", "", 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    Identified identified = Identify(Machine(c.signature, c.brand));
    EXPECT_EQ(identified.model, c.model);
    EXPECT_EQ(identified.tjMax[0], c.tjMax);
  }
}

TEST(ProcessorIdentity, ShortAndMissingModelNumbersMatchTheSmallCoreTable) {
  // "520" is part of "Z520".
  Identified celeron = Identify(Machine(0x10661, "Intel(R) Celeron(R) CPU          520  @ 1.60GHz"));
  EXPECT_EQ(celeron.model, "520");
  EXPECT_EQ(celeron.tjMax[0], 90);

  MachineDescription noBrand = Machine(0x10661, "");
  noBrand.cpuid[{0x80000000, 0}] = {0x80000003, 0, 0, 0};
  Identified bare = Identify(noBrand);
  EXPECT_EQ(bare.model, "");
  EXPECT_EQ(bare.tjMax[0], 90);
  SimulatedProcessor processor(noBrand);
  BrandText model = ToBrandText("stale");
  EXPECT_TRUE(ParseModelNumber(processor, model).empty());
  EXPECT_TRUE(model.empty());
}

TEST(ProcessorIdentity, NulPaddingIsPartOfTheBrandString) {
  // A number right before the padding takes the following NUL along, so it
  // is five characters long and no table prefix applies.
  MachineDescription machine = Machine(0x10676, "Intel(R) Xeon(R) CPU 5472");
  SimulatedProcessor processor(machine);
  BrandText model;
  BrandText brand = ParseModelNumber(processor, model);
  EXPECT_EQ(brand.size(), kBrandStringLength);
  EXPECT_EQ(model, BrandText(u"5472\0", 5));
  EXPECT_EQ(Identify(machine).model, "Xeon 5472");
  // The table search ends at the NUL, so the server rule still finds 5472.
  EXPECT_EQ(Identify(machine).tjMax[0], 90);
}

TEST(ProcessorIdentity, BrandBytesAreSignExtended) {
  MachineDescription machine = Machine(0x10676, "Intel(R) Core(TM)2 Duo CPU E8400 \xAE");
  SimulatedProcessor processor(machine);
  BrandText brand = ReadBrandString(processor);
  ASSERT_EQ(brand.size(), kBrandStringLength);
  EXPECT_EQ(brand[33], u'\xFFAE');
}

TEST(ProcessorIdentity, DecorationsOnTheBrandString) {
  struct Case {
    int signature;
    const char* brand;
    const char* decorated;
  } cases[] = {
      {0x1067A, "Genuine Intel(R) CPU   ES    E8400  @ 3.00GHz", "E8400 ES"},
      {0x10676, "Intel(R) Xeon(R) CPU   Quad   E5472  @ 3.00GHz", "Quad Xeon E5472"},
      {0x106C2, "Genuine Intel(R) CPU N270   @ 1.60GHz", "Atom N270"},
      {0x106A4, "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz", "Core i7 920"},
      {0x106A5, "Intel(R) Core(TM) i7 CPU         965  @ 3.20GHz", "Core i7 965"},
      // Placeholder numbers of early parts are named by their clock.
      {0x106A4, "Genuine Intel(R) CPU             000  @ 2.67GHz", "Core i7 920"},
      {0x106A4, "Genuine Intel(R) CPU             000  @ 2.93GHz", "Core i7 940"},
      {0x106A5, "Genuine Intel(R) CPU             000  @ 3.20GHz", "Core i7 965"},
      {0x106A5, "Genuine Intel(R) CPU             000  @ 3.00GHz", "Core i7 000"},
      {0x106A5, "Intel(R) Xeon(R) CPU           W3520  @ 2.67GHz", "Xeon W3520"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    EXPECT_EQ(Identify(Machine(c.signature, c.brand)).model, c.decorated);
  }
}

TEST(ProcessorIdentity, CoreI7ReadsTjMaxPerPresentSlot) {
  MachineDescription machine = Machine(0x106A5, "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz");
  machine.systemAffinity = 0xF;
  machine.cpuid[{1, 0}].ebx = 0x00040800;
  machine.cpuid[{4, 0}].eax = 0x1C004121;  // 8 cores per package: step 0 -> 1
  machine.msr[kMsrTemperatureTarget] = 0x00691400;                   // 105
  machine.msrOverrides[1][kMsrTemperatureTarget] = 0x00801400;       // 0x80: bit 23 is not part of it
  machine.msrOverrides[3][kMsrTemperatureTarget] = 0xFF00FFFF;       // field 0
  SimulatedProcessor processor(machine, nullptr, CallRecord::kOn);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  ProcessorIdentity identity;
  ASSERT_FALSE(IdentifyProcessor(access, identity).has_value());
  EXPECT_EQ(std::vector<int>(std::begin(identity.tjMax), std::end(identity.tjMax)),
            (std::vector<int>{105, 100, 105, 100}));

  std::vector<std::string> registerWork;
  for (const ProcessorEvent& event : processor.Events()) {
    if (event.kind == ProcessorEvent::Kind::kReadMsr) registerWork.push_back(event.ToString());
  }
  EXPECT_EQ(registerWork, (std::vector<std::string>{"read cpu0 0x1A2", "read cpu1 0x1A2", "read cpu2 0x1A2",
                                                    "read cpu3 0x1A2"}));
  EXPECT_EQ(processor.ProcessMask(), 0xFu);
  EXPECT_EQ(processor.CurrentCpu(), 0);
}

TEST(ProcessorIdentity, CoreI7SlotsWithoutAProcessorKeepTheRuleValue) {
  MachineDescription machine = Machine(0x106A4, "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz");
  machine.systemAffinity = 0x1;
  machine.msr[kMsrTemperatureTarget] = 0x00551400;  // 85
  Identified identified = Identify(machine);
  EXPECT_EQ(std::vector<int>(std::begin(identified.tjMax), std::end(identified.tjMax)),
            (std::vector<int>{85, 100, 100, 100}));
}

// A machine of the given signature and brand whose MSR 0x1A2 holds target.
MachineDescription ReportingMachine(int signature, const std::string& brand, uint64_t target) {
  MachineDescription machine = Machine(signature, brand);
  machine.msr[kMsrTemperatureTarget] = target;
  return machine;
}

bool ReadsTemperatureTarget(const MachineDescription& machine) {
  SimulatedProcessor processor(machine, nullptr, CallRecord::kOn);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  ProcessorIdentity identity;
  EXPECT_FALSE(IdentifyProcessor(access, identity).has_value());
  for (const ProcessorEvent& event : processor.Events()) {
    if (event.kind == ProcessorEvent::Kind::kReadMsr && event.index == kMsrTemperatureTarget) return true;
  }
  return false;
}

TEST(ProcessorIdentity, NewerProcessorsAreNamedFromTheBrandAndReportTheirTjMax) {
  struct Case {
    int signature;
    const char* brand;
    const char* model;
    uint64_t target;  // MSR 0x1A2
    int tjMax;
  } cases[] = {
      {0x906EA, "Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz", "i7-8700K", 0x00640000, 100},
      {0x90672, "12th Gen Intel(R) Core(TM) i9-12900K", "i9-12900K", 0x00640000, 100},
      {0x406F1, "Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", "Xeon E5-2680 v4", 0x00600000, 96},
      {0x306A9, "Intel(R) Xeon(R) CPU E3-1230 V2 @ 3.30GHz", "Xeon E3-1230 V2", 0x00690000, 105},
      {0x406C4, "Intel(R) Atom(TM) x7-Z8700  CPU @ 1.60GHz", "Atom x7-Z8700", 0x005A0000, 90},
      {0xA0671, "Intel(R) Xeon(R) Processor @ 2.80GHz", "Xeon", 0x00640000, 100},
      {0x306C3, "       Intel(R) Core(TM)  i5-4570   CPU @ 3.20GHz", "i5-4570", 0x00640000, 100},
      // Bits 29-24 hold the thermal control offset, not part of TjMax.
      {0x206A7, "Intel(R) Core(TM) i5-2500K CPU @ 3.30GHz", "i5-2500K", 0x0A620000, 98},
      // A number the scan finds keeps the text of the model rules.
      {0xA06A4, "Intel(R) Core(TM) Ultra 7 155H", "155H", 0x006E0000, 110},
      {0xB06E0, "Intel(R) N100", "N100", 0x00690000, 105},
      {0x50654, "Intel(R) Xeon(R) Gold 6130 CPU @ 2.10GHz", "Xeon 6130", 0x00600000, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    Identified identified = Identify(ReportingMachine(c.signature, c.brand, c.target));
    EXPECT_EQ(identified.model, c.model);
    // Both cores of the machine read it.
    EXPECT_EQ(identified.tjMax[0], c.tjMax);
    EXPECT_EQ(identified.tjMax[1], c.tjMax);
  }
}

TEST(ProcessorIdentity, TemperatureTargetFromLynnfieldOnExceptTheOldAtoms) {
  struct Case {
    int signature;
    const char* brand;
    bool reads;
    int tjMax;  // with 0x1A2 reporting 0x5F (95)
  } cases[] = {
      {0x106E5, "Intel(R) Core(TM) i7 CPU         860  @ 2.80GHz", true, 95},
      {0x30673, "Intel(R) Celeron(R) CPU  N2830  @ 2.16GHz", true, 95},
      // Nehalem: production steppings take bits 22-16, others keep the chain.
      {0x106A5, "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz", true, 95},
      {0x106A2, "Genuine Intel(R) CPU             000  @ 2.67GHz", false, 100},
      {0x106D1, "Intel(R) Xeon(R) CPU           X7460  @ 2.66GHz", false, 100},
      {0x1067A, "Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz", false, 100},
      {0x20652, "Intel(R) Core(TM) i5 CPU         661  @ 3.33GHz", true, 95},
      // The Atoms without the register.
      {0x20661, "Intel(R) Atom(TM) CPU Z670   @ 1.50GHz", false, 100},
      {0x20671, "Intel(R) Atom(TM) CPU Z2460  @ 1.60GHz", false, 100},
      {0x30651, "Intel(R) Atom(TM) CPU Z2760  @ 1.80GHz", false, 100},
      {0x30661, "Intel(R) Atom(TM) CPU D2700  @ 2.13GHz", false, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brand);
    MachineDescription machine = ReportingMachine(c.signature, c.brand, 0x005F0000);
    EXPECT_EQ(ReadsTemperatureTarget(machine), c.reads);
    EXPECT_EQ(Identify(machine).tjMax[0], c.tjMax);
  }
}

TEST(ProcessorIdentity, ReportedTjMaxOfZeroOrAFailedReadKeepsTheChain) {
  // The empty model number of the chain gives 90; "N100" gives 100.
  MachineDescription machine =
      ReportingMachine(0x906EA, "Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz", 0x00640000);
  machine.msrOverrides[1][kMsrTemperatureTarget] = 0xFF00FFFF;
  Identified identified = Identify(machine);
  EXPECT_EQ(identified.tjMax[0], 100);
  EXPECT_EQ(identified.tjMax[1], 90);

  MachineDescription failing = ReportingMachine(0xB06E0, "Intel(R) N100", 0x00690000);
  failing.readFailsEvery = 1;
  identified = Identify(failing);
  EXPECT_EQ(std::vector<int>(std::begin(identified.tjMax), std::end(identified.tjMax)),
            (std::vector<int>{100, 100, 100, 100}));
}

TEST(ProcessorIdentity, SupportCheck) {
  struct Case {
    const char* what;
    int signature;
    uint32_t ecx;
    uint32_t edx;
    bool intel;
    bool supported;
  } cases[] = {
      {"Core 2", 0x1067A, 0x0008E3FD, 0xBFEBFBFF, true, true},
      {"family 15 with an Intel vendor", 0xF29, 0x0000E49D, 0xBFEBFBFF, true, false},
      {"family 15, first", 0xF00, 0x0000E49D, 0xBFEBFBFF, true, false},
      {"family 15, last", 0xF70, 0x0000E49D, 0xBFEBFBFF, true, false},
      {"no MSR instructions", 0x1067A, 0x0008E3FD, 0xBFEBFBDF, true, false},
      {"no SSE3", 0x6F6, 0x0008E3FC, 0xBFEBFBFF, true, false},
      {"another vendor", 0x1067A, 0x0008E3FD, 0xBFEBFBFF, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MachineDescription machine = Machine(c.signature, "Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz");
    machine.cpuid[{1, 0}].ecx = c.ecx;
    machine.cpuid[{1, 0}].edx = c.edx;
    if (!c.intel) machine.cpuid[{0, 0}] = {0xD, 0x68747541, 0x444D4163, 0x69746E65};  // "AuthenticAMD"
    SimulatedProcessor processor(machine, nullptr, CallRecord::kOn);
    CpuInfo cpu = CreateCpuInfo(processor);
    MsrAccess access(processor, cpu);
    ProcessorIdentity identity;
    std::optional<FatalError> fatal = IdentifyProcessor(access, identity);
    ASSERT_EQ(!fatal.has_value(), c.supported);
    EXPECT_EQ(cpu.signature, c.signature);
    if (c.supported) continue;
    EXPECT_EQ(fatal->caption, "Error");
    EXPECT_EQ(fatal->text, std::string("The processor detected is not supported.\n\n") +
                               (c.intel ? "GenuineIntel" : "") + "\n\n\n");
    EXPECT_EQ(fatal->exitCode, 0);
    // Stopped before the core slots and the brand string.
    EXPECT_EQ(cpu.coreSlotMask[0], 0u);
    for (const ProcessorEvent& event : processor.Events()) {
      EXPECT_FALSE(event.kind == ProcessorEvent::Kind::kCpuid && event.index >= 0x80000000u);
    }
  }
}

// Newer processors take their clock from 0xCE and the counters: family 6
// from Lynnfield on without the old Atoms, and the families above 15 (which
// also carry 15 in the family field) where leaf 6 has the thermal sensor;
// those are supported, family 15 itself stays refused.
TEST(ProcessorIdentity, WhichProcessorsAreNewer) {
  struct Case {
    uint32_t eax;
    uint32_t leaf6;
    bool newer;
    bool supported;
  } cases[] = {
      {0x1067A, 0x1, false, true},     // Core 2 (display model 0x17)
      {0x106A5, 0x1, false, true},     // Core i7 920 (0x1A)
      {0x106C2, 0x1, false, true},     // Atom N270 (0x1C)
      {0x106E5, 0x1, true, true},      // Lynnfield (0x1E)
      {0x20661, 0x1, false, true},     // Atom Z600 (0x26)
      {0x30673, 0x1, true, true},      // Atom Bay Trail (0x37)
      {0x906EA, 0x45, true, true},     // Coffee Lake (0x9E)
      {0x00400F10, 0x1, true, true},   // family 19
      {0x00300F10, 0x0, false, true},  // family 18 without the sensor
      {0x00000F29, 0x1, false, false}, // family 15
  };
  for (const Case& c : cases) {
    MachineDescription machine = Machine(static_cast<int>(c.eax), "");
    machine.cpuid[{6, 0}] = {c.leaf6, 0, 0, 0};
    SimulatedProcessor processor(machine);
    CpuInfo cpu = CreateCpuInfo(processor);
    MsrAccess access(processor, cpu);
    ProcessorIdentity identity;
    EXPECT_EQ(!IdentifyProcessor(access, identity).has_value(), c.supported) << std::hex << c.eax;
    EXPECT_EQ(cpu.newerProcessor, c.newer) << std::hex << c.eax;
  }
}

TEST(ProcessorIdentity, SignatureDropsTypeAndExtendedFamily) {
  MachineDescription machine = Machine(0x1067A, "");
  machine.cpuid[{1, 0}].eax = 0x0FF1067A;  // extended family and type bits set
  SimulatedProcessor processor(machine);
  EXPECT_EQ(ReadSignature(processor), 0x1067A);
  EXPECT_EQ(SignatureText(0x1067A), "1067A");
  EXPECT_EQ(SignatureText(0x6FB), "006FB");
}

}  // namespace
}  // namespace korvath
