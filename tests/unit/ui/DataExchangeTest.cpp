#include "ui/DataExchange.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/SimulatedDesktop.h"
#include "ui/DialogData.h"
#include "ui/InMemoryControlSurface.h"

namespace korvath {
namespace {

enum : int { kName = 10, kTjMax = 11, kAlarm = 12, kInterval = 13, kLog = 14, kFont0 = 20, kFont1 = 7, kFont2 = 8 };

// A model with one binding of each kind, in the order of transfer.
struct Members : DialogData {
  Members(ControlSurface& controls, RefusalPrompt prompt) : DialogData(controls, std::move(prompt)) {}
  void DoDataExchange(DataExchange& exchange) override {
    exchange.ExchangeText(kName, name, 6);
    exchange.ExchangeUnsigned(kTjMax, tjMax);
    exchange.ExchangeUnsigned(kAlarm, alarm);
    exchange.ExchangeUnsigned(kInterval, interval);
    exchange.ExchangeCheck(kLog, logFile);
    exchange.ExchangeRadio({kFont0, kFont1, kFont2}, font);
  }
  std::string name;
  uint32_t tjMax = 0;
  uint32_t alarm = 0;
  uint32_t interval = 0;
  int logFile = 0;
  int font = -1;
};

struct Rig {
  Rig() : members(controls, [this](const std::string& message) { prompts.push_back(message); }) {}
  InMemoryControlSurface controls{kName, kTjMax, kAlarm, kInterval, kLog, kFont0, kFont1, kFont2};
  std::vector<std::string> prompts;
  Members members;
};

TEST(DataExchange, MembersReachTheControlsAndComeBack) {
  Rig rig;
  rig.members.name = "E8400";
  rig.members.tjMax = 100;
  rig.members.alarm = 95;
  rig.members.interval = 5;
  rig.members.logFile = 1;
  rig.members.font = 2;
  ASSERT_TRUE(rig.members.UpdateData(false));
  EXPECT_EQ(rig.controls.GetText(kName), "E8400");
  EXPECT_EQ(rig.controls.Find(kName)->textLimit, 6u);
  EXPECT_EQ(rig.controls.GetText(kTjMax), "100");
  EXPECT_EQ(rig.controls.GetCheck(kLog), 1);
  EXPECT_EQ(rig.controls.GetCheck(kFont0), 0);
  EXPECT_EQ(rig.controls.GetCheck(kFont1), 0);
  EXPECT_EQ(rig.controls.GetCheck(kFont2), 1);

  rig.controls.Type(kName, "Q9650xyz");  // cut by the limit, as the edit would
  rig.controls.SetText(kTjMax, "105");
  rig.controls.SetText(kAlarm, "  90");
  rig.controls.SetCheck(kLog, 0);
  rig.controls.SetCheck(kFont2, 0);
  rig.controls.SetCheck(kFont1, 1);
  ASSERT_TRUE(rig.members.UpdateData(true));
  EXPECT_EQ(rig.members.name, "Q9650x");
  EXPECT_EQ(rig.members.tjMax, 105u);
  EXPECT_EQ(rig.members.alarm, 90u);
  EXPECT_EQ(rig.members.interval, 5u);
  EXPECT_EQ(rig.members.logFile, 0);
  EXPECT_EQ(rig.members.font, 1);
  EXPECT_TRUE(rig.prompts.empty());
  EXPECT_TRUE(rig.controls.UnknownIds().empty());
}

TEST(DataExchange, RefusedNumberStopsTheTransferAtThatControl) {
  Rig rig;
  rig.members.alarm = 95;
  rig.members.interval = 5;
  rig.members.logFile = 1;
  rig.members.font = 0;
  ASSERT_TRUE(rig.members.UpdateData(false));
  rig.controls.SetFocus(kInterval);
  rig.controls.SetText(kTjMax, "110");
  rig.controls.SetText(kAlarm, "9O");
  rig.controls.SetText(kInterval, "7");
  rig.controls.SetCheck(kLog, 0);
  rig.controls.SetCheck(kFont0, 0);

  EXPECT_FALSE(rig.members.UpdateData(true));
  EXPECT_EQ(rig.members.tjMax, 110u);  // exchanged before the refusal
  EXPECT_EQ(rig.members.alarm, 95u);
  EXPECT_EQ(rig.members.interval, 5u);
  EXPECT_EQ(rig.members.logFile, 1);
  EXPECT_EQ(rig.members.font, 0);
  EXPECT_EQ(rig.prompts, std::vector<std::string>{"Please enter an unsigned integer."});
  EXPECT_EQ(rig.controls.FocusedControl(), kAlarm);
  EXPECT_EQ(rig.controls.GetText(kAlarm), "9O");  // left for the user to correct

  rig.controls.SetText(kAlarm, "90");
  EXPECT_TRUE(rig.members.UpdateData(true));
  EXPECT_EQ(rig.members.interval, 7u);
  EXPECT_EQ(rig.prompts.size(), 1u);
}

TEST(DataExchange, ATransferInsideTheRefusalPromptDoesNotPromptAgain) {
  InMemoryControlSurface controls{kName, kTjMax, kAlarm, kInterval, kLog, kFont0, kFont1, kFont2};
  std::vector<std::string> prompts;
  Members* members = nullptr;
  Members inner(controls, [&](const std::string& message) { prompts.push_back("inner " + message); });
  Members outer(controls, [&](const std::string& message) {
    prompts.push_back("outer " + message);
    // The edit lost the focus to the prompt and its handler transfers again.
    EXPECT_FALSE(members->UpdateData(true));
  });
  members = &inner;
  controls.SetText(kTjMax, "abc");
  controls.SetFocus(kLog);
  EXPECT_FALSE(outer.UpdateData(true));
  EXPECT_EQ(prompts, std::vector<std::string>{"outer Please enter an unsigned integer."});
  EXPECT_EQ(controls.FocusedControl(), kTjMax);

  EXPECT_FALSE(inner.UpdateData(true));  // later transfers prompt as before
  EXPECT_EQ(prompts.size(), 2u);
}

TEST(DataExchange, OnlyUnsignedWholeNumbersAreAccepted) {
  struct Case {
    const char* text;
    std::optional<uint32_t> value;
  } cases[] = {
      {"0", 0u},           {"125", 125u},         {" \t42", 42u},     {"+7", 7u},
      {"0007", 7u},        {"4294967295", 4294967295u}, {" 60  ", 60u}, {"8\t", 8u},
      {"", std::nullopt},  {"   ", std::nullopt}, {"+", std::nullopt}, {"-5", std::nullopt},
      {"12a", std::nullopt}, {"1 2", std::nullopt}, {"+ 7", std::nullopt}, {"1.5", std::nullopt},
      {"0x10", std::nullopt},
      {"4294967296", std::nullopt}, {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseUnsigned(c.text), c.value) << '"' << c.text << '"';
}

TEST(DataExchange, TextLongerThanItsLimitIsRefusedByCharactersNotBytes) {
  Rig rig;
  ASSERT_TRUE(rig.members.UpdateData(false));
  rig.controls.SetText(kName, "62°C°C");  // six characters, eight bytes
  EXPECT_TRUE(rig.members.UpdateData(true));
  EXPECT_EQ(rig.members.name, "62°C°C");

  rig.controls.SetText(kName, "1234567");
  rig.controls.SetText(kTjMax, "100");
  EXPECT_FALSE(rig.members.UpdateData(true));
  EXPECT_EQ(rig.members.name, "62°C°C");
  EXPECT_EQ(rig.members.tjMax, 0u);
  EXPECT_EQ(rig.prompts, std::vector<std::string>{"Please enter no more than 6 characters."});
  EXPECT_EQ(rig.controls.FocusedControl(), kName);
}

TEST(DataExchange, ChecksAndRadiosOutsideTheirRange) {
  Rig rig;
  rig.members.logFile = 5;  // any other non-zero flag is on
  rig.members.font = 3;     // no such button: the whole group clears
  rig.controls.SetCheck(kFont0, 1);
  ASSERT_TRUE(rig.members.UpdateData(false));
  EXPECT_EQ(rig.controls.GetCheck(kLog), 1);
  for (int id : {kFont0, kFont1, kFont2}) EXPECT_EQ(rig.controls.GetCheck(id), 0) << id;

  rig.members.logFile = 2;
  ASSERT_TRUE(rig.members.UpdateData(false));
  EXPECT_EQ(rig.controls.GetCheck(kLog), 2);

  rig.members.font = 1;
  ASSERT_TRUE(rig.members.UpdateData(true));
  EXPECT_EQ(rig.members.font, -1);
  EXPECT_EQ(rig.members.logFile, 2);
}

class PromptDesktop : public SimulatedDesktop {
 public:
  MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                                  MessageBoxButtons buttons, OwnerWindow) override {
    boxes.push_back(caption + "|" + text);
    icons.push_back(icon);
    EXPECT_EQ(buttons, MessageBoxButtons::kOk);
    return MessageBoxResult::kOk;
  }

  std::vector<std::string> boxes;
  std::vector<MessageBoxIcon> icons;
};

TEST(DataExchange, RefusalPromptIsAWarningBoxOfTheProgram) {
  PromptDesktop desktop;
  InMemoryControlSurface controls{kName, kTjMax, kAlarm, kInterval, kLog, kFont0, kFont1, kFont2};
  Members members(controls, PromptThrough(desktop));
  controls.SetText(kTjMax, "hot");
  EXPECT_FALSE(members.UpdateData(true));
  EXPECT_EQ(desktop.boxes, std::vector<std::string>{"Korvath|Please enter an unsigned integer."});
  EXPECT_EQ(desktop.icons, std::vector<MessageBoxIcon>{MessageBoxIcon::kWarning});
}

}  // namespace
}  // namespace korvath
