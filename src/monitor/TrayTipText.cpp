#include "monitor/TrayTipText.h"

#include <charconv>

namespace korvath {
namespace {

// Room for the longest tip (127 units of up to three bytes each) and one
// line too many, which is taken back.
constexpr size_t kTipCapacity = 512;

constexpr CoreType kCoreTypes[] = {CoreType::kPerformance, CoreType::kEfficient, CoreType::kLowPowerEfficient};

// What "%d" writes, without a temporary string.
void AppendNumber(std::string& text, int value) {
  char digits[12];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, result.ptr);
}

size_t NumberLength(int value) {
  char digits[12];
  return static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

bool IsHotter(const TipCore& core, const TipCore& than) {
  return core.temperature > than.temperature || (core.temperature == than.temperature && core.number < than.number);
}

const TipCore* HottestOf(std::span<const TipCore> cores, bool anyType, CoreType type) {
  const TipCore* hottest = nullptr;
  for (const TipCore& core : cores) {
    if (!anyType && core.type != type) continue;
    if (hottest == nullptr || IsHotter(core, *hottest)) hottest = &core;
  }
  return hottest;
}

// Cuts a text longer than the limit at the last character that still fits.
void CutToLimit(std::string& text) {
  size_t units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;
    size_t width = byte >= 0xF0 ? 2 : 1;
    if (units + width > kTrayTipLimit) {
      text.resize(i);
      return;
    }
    units += width;
  }
}

class TipWriter {
 public:
  TipWriter(std::string& tip, std::string_view suffix) : tip_(tip), suffix_(suffix) {}

  // Ends a line begun at start: kept when the tip still fits, taken back
  // otherwise. The first line is always kept, cut if it must be.
  void EndLine(size_t start) {
    tip_.append(suffix_);
    size_t units = units_ + Utf16Length(std::string_view(tip_).substr(start));
    if (units <= kTrayTipLimit) {
      units_ = units;
    } else if (start == 0) {
      CutToLimit(tip_);
      units_ = Utf16Length(tip_);
    } else {
      tip_.resize(start);
    }
  }
  size_t BeginLine() {
    size_t start = tip_.size();
    if (start != 0) tip_ += '\n';
    return start;
  }

  // "Hottest: Core 13 (E)  71°C", or "Hottest P: Core 2  68°C" for the
  // hottest of one type.
  void CoreLine(std::string_view ofType, const TipCore& core, bool withType) {
    size_t start = BeginLine();
    tip_.append("Hottest");
    if (!ofType.empty()) tip_.append(" ").append(ofType);
    tip_.append(": Core ");
    AppendNumber(tip_, core.number);
    if (withType && core.type != CoreType::kUnknown) tip_.append(" (").append(CoreTypeName(core.type)).append(")");
    tip_.append("  ");
    AppendNumber(tip_, core.temperature);
    EndLine(start);
  }

  void PackageLine(int package, bool numbered, int temperature) {
    size_t start = BeginLine();
    tip_.append("Package");
    if (numbered) {
      tip_ += ' ';
      AppendNumber(tip_, package);
    }
    tip_.append(":  ");
    AppendNumber(tip_, temperature);
    EndLine(start);
  }

 private:
  std::string& tip_;
  std::string_view suffix_;
  size_t units_ = 0;
};

}  // namespace

size_t Utf16Length(std::string_view text) {
  size_t units = 0;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    // Continuation bytes add nothing; a four-byte sequence is a surrogate pair.
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

void BuildTrayTipText(std::span<const TipCore> cores, std::span<const int> packages, std::string_view degreeSuffix,
                      std::string& tip) {
  if (tip.capacity() < kTipCapacity) tip.reserve(kTipCapacity);
  tip.clear();
  if (cores.empty()) return;

  // "Core 0:  45°C" per core: "Core " and ":  " are eight units.
  size_t suffixUnits = Utf16Length(degreeSuffix);
  size_t listUnits = cores.size() - 1;
  for (const TipCore& core : cores) {
    listUnits += 8 + NumberLength(core.number) + NumberLength(core.temperature) + suffixUnits;
  }
  if (listUnits <= kTrayTipLimit) {
    for (const TipCore& core : cores) {
      if (!tip.empty()) tip += '\n';
      tip.append("Core ");
      AppendNumber(tip, core.number);
      tip.append(":  ");
      AppendNumber(tip, core.temperature);
      tip.append(degreeSuffix);
    }
    return;
  }

  // Too many cores for one line each. The hottest comes first, so that it
  // is named whatever the suffix and the number of packages leave room for.
  TipWriter writer(tip, degreeSuffix);
  const TipCore& hottest = *HottestOf(cores, true, CoreType::kUnknown);
  writer.CoreLine({}, hottest, true);
  if (hottest.type != CoreType::kUnknown) {
    // Its own type's hottest is the line above.
    for (CoreType type : kCoreTypes) {
      const TipCore* core = type == hottest.type ? nullptr : HottestOf(cores, false, type);
      if (core != nullptr) writer.CoreLine(CoreTypeName(type), *core, false);
    }
  }
  for (size_t k = 0; k < packages.size(); ++k) {
    writer.PackageLine(static_cast<int>(k), packages.size() > 1, packages[k]);
  }
}

}  // namespace korvath
