// Test doubles for the tray seams: they record every call and can be told to
// fail.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/TextFormat.h"
#include "platform/TrayShell.h"

namespace korvath::testing {

// Hands out numbered icons and checks that each is destroyed exactly once.
class CountingPainter : public TrayIconPainter {
 public:
  IconHandle DrawIcon(const std::string& text, uint32_t colour, int fontNumber) override {
    ++drawCalls;
    if (failDrawing) return 0;
    IconHandle icon = nextIcon++;
    live.insert(icon);
    texts[icon] = text;
    lastColour = colour;
    lastFont = fontNumber;
    return icon;
  }
  void DestroyIcon(IconHandle icon) override {
    EXPECT_EQ(live.erase(icon), 1u) << "icon " << icon << " destroyed twice or never drawn";
    ++destroyed;
  }
  bool IsLive(IconHandle icon) const { return live.count(icon) != 0; }

  bool failDrawing = false;
  int drawCalls = 0;
  int destroyed = 0;
  uint32_t lastColour = 0;
  int lastFont = -1;
  IconHandle nextIcon = 1000;
  std::set<IconHandle> live;
  std::map<IconHandle, std::string> texts;
};

inline constexpr IconHandle kApplicationIcon = 7;

// Records shell calls as "add 4298", "modify 4294 <text or app> <tip>", ...
class RecordingShell : public TrayShell {
 public:
  explicit RecordingShell(const CountingPainter& painter) : painter_(painter) {}

  bool AddIcon(const TrayIconRecord& record) override {
    calls.push_back(Format("add %u", record.id));
    if (refuseAdds > 0) {
      --refuseAdds;
      calls.back() += " refused";
      return false;
    }
    shown.insert(record.id);
    return true;
  }
  bool ModifyIcon(const TrayIconRecord& record) override {
    if (shown.count(record.id) == 0) {
      calls.push_back(Format("modify %u refused", record.id));
      return false;
    }
    // What the shell draws must still be alive when it is installed.
    if (record.icon != kApplicationIcon) {
      EXPECT_TRUE(painter_.IsLive(record.icon));
    }
    std::string picture = record.icon == kApplicationIcon ? "app" : painter_.texts.at(record.icon);
    calls.push_back(Format("modify %u %s", record.id, picture.c_str()));
    tips[record.id] = record.tip;
    pictures[record.id] = picture;
    return true;
  }
  bool DeleteIcon(const TrayIconRecord& record) override {
    calls.push_back(Format("delete %u", record.id));
    shown.erase(record.id);
    return true;
  }

  int refuseAdds = 0;
  std::vector<std::string> calls;
  std::set<uint32_t> shown;
  std::map<uint32_t, std::string> tips;
  std::map<uint32_t, std::string> pictures;

 private:
  const CountingPainter& painter_;
};

}  // namespace korvath::testing
