#include "ui/MessageMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvath {
namespace {

WindowMessage Command(int id, int notification) {
  return {kWmCommand, static_cast<uintptr_t>(static_cast<uint32_t>(notification) << 16 | static_cast<uint32_t>(id)), 0};
}

class Window {
 public:
  std::optional<intptr_t> Route(const WindowMessage& message) {
    static constexpr MessageEntry<Window> kMessageMap[] = {
        OnCommand(1088, kButtonClicked, &Window::OnApply),
        OnCommand(1088, kEditChange, &Window::OnApplyChange),
        OnCommandRange(1064, 1067, kEditKillFocus, &Window::OnTjMaxKillFocus),
        OnCommand(1065, kEditKillFocus, &Window::OnShadowed),
        OnMessage(kWmTimer, &Window::OnTimer),
        OnMessage(kWmCommand, &Window::OnOtherCommand),
        OnMessage(0x0112, &Window::OnSysCommand),
    };
    return RouteMessage(kMessageMap, *this, message);
  }

  std::vector<std::string> calls;

 private:
  void OnApply() { calls.push_back("apply"); }
  void OnApplyChange() { calls.push_back("apply change"); }
  void OnTjMaxKillFocus(int id) { calls.push_back("tjmax " + std::to_string(id)); }
  void OnShadowed() { calls.push_back("shadowed"); }
  std::optional<intptr_t> OnTimer(const WindowMessage& message) {
    calls.push_back("timer " + std::to_string(message.wParam));
    return 0;
  }
  std::optional<intptr_t> OnOtherCommand(const WindowMessage& message) {
    calls.push_back("other " + std::to_string(message.ControlId()));
    return 7;
  }
  // Only the About item is ours; the rest goes to the default handling.
  std::optional<intptr_t> OnSysCommand(const WindowMessage& message) {
    if ((message.wParam & 0xFFF0) != 16) return std::nullopt;
    calls.push_back("about");
    return 0;
  }
};

TEST(MessageMap, CommandsGoByControlAndNotification) {
  Window window;
  EXPECT_EQ(window.Route(Command(1088, kButtonClicked)), 0);
  EXPECT_EQ(window.Route(Command(1088, kEditChange)), 0);
  EXPECT_EQ(window.Route(Command(1064, kEditKillFocus)), 0);
  EXPECT_EQ(window.Route(Command(1065, kEditKillFocus)), 0);  // the range comes first
  EXPECT_EQ(window.Route(Command(1067, kEditKillFocus)), 0);
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"apply", "apply change", "tjmax 1064", "tjmax 1065", "tjmax 1067"}));
}

TEST(MessageMap, UnmatchedCommandsFallToTheCommandMessageEntry) {
  Window window;
  EXPECT_EQ(window.Route(Command(1068, kEditKillFocus)), 7);
  EXPECT_EQ(window.Route(Command(1064, kEditChange)), 7);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"other 1068", "other 1064"}));
}

TEST(MessageMap, PlainMessagesAndTheDefaultHandling) {
  Window window;
  EXPECT_EQ(window.Route({kWmTimer, 1, 0}), 0);
  EXPECT_EQ(window.Route({0x0112, 0x13, 0}), 0);            // 17-31 count as About
  EXPECT_EQ(window.Route({0x0112, 0xF060, 0}), std::nullopt);  // SC_CLOSE: default
  EXPECT_EQ(window.Route({0x000F, 0, 0}), std::nullopt);      // not in the map
  EXPECT_EQ(window.calls, (std::vector<std::string>{"timer 1", "about"}));
}

}  // namespace
}  // namespace korvath
