// A window's message map: a static table that sends one window message, or
// one (control id, notification) command, to one member function. Defined
// inside the window's own routing function, where its private handlers are
// reachable and the class is complete:
//
//   std::optional<intptr_t> SettingsDialog::HandleMessage(const WindowMessage& message) {
//     static constexpr MessageEntry<SettingsDialog> kMessageMap[] = {
//         OnCommand(IDC_APPLY, kButtonClicked, &SettingsDialog::OnApply),
//         OnCommandRange(IDC_TJ_MAX0, IDC_TJ_MAX3, kEditKillFocus, &SettingsDialog::OnTjMaxKillFocus),
//         OnMessage(kWmTimer, &SettingsDialog::OnTimer),
//     };
//     return RouteMessage(kMessageMap, *this, message);
//   }
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace korvath {

// The few message and notification numbers the table itself needs; they
// are fixed by Windows, and the Win32 view checks them against its headers.
inline constexpr uint32_t kWmInitDialog = 0x0110;
inline constexpr uint32_t kWmCommand = 0x0111;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr int kButtonClicked = 0;     // BN_CLICKED
inline constexpr int kEditChange = 0x0300;   // EN_CHANGE
inline constexpr int kEditKillFocus = 0x0200;  // EN_KILLFOCUS

struct WindowMessage {
  uint32_t id = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;

  // WM_COMMAND: the control (or menu item) and its notification code.
  int ControlId() const { return static_cast<int>(wParam & 0xFFFF); }
  int Notification() const { return static_cast<int>((wParam >> 16) & 0xFFFF); }
};

// A handler of a plain message answers its result, or nothing to leave the
// message to the default handling.
template <typename Owner>
using MessageHandler = std::optional<intptr_t> (Owner::*)(const WindowMessage&);
template <typename Owner>
using CommandHandler = void (Owner::*)();
// For a range of controls: receives the id of the control that sent it.
template <typename Owner>
using CommandRangeHandler = void (Owner::*)(int controlId);

template <typename Owner>
struct MessageEntry {
  uint32_t message = 0;
  int firstId = 0;  // commands: the controls firstId..lastId
  int lastId = 0;
  int notification = 0;
  MessageHandler<Owner> onMessage = nullptr;
  CommandHandler<Owner> onCommand = nullptr;
  CommandRangeHandler<Owner> onCommandRange = nullptr;
};

template <typename Owner>
constexpr MessageEntry<Owner> OnMessage(uint32_t message, MessageHandler<Owner> handler) {
  MessageEntry<Owner> entry;
  entry.message = message;
  entry.onMessage = handler;
  return entry;
}

template <typename Owner>
constexpr MessageEntry<Owner> OnCommand(int controlId, int notification, CommandHandler<Owner> handler) {
  MessageEntry<Owner> entry;
  entry.message = kWmCommand;
  entry.firstId = controlId;
  entry.lastId = controlId;
  entry.notification = notification;
  entry.onCommand = handler;
  return entry;
}

template <typename Owner>
constexpr MessageEntry<Owner> OnCommandRange(int firstId, int lastId, int notification,
                                             CommandRangeHandler<Owner> handler) {
  MessageEntry<Owner> entry;
  entry.message = kWmCommand;
  entry.firstId = firstId;
  entry.lastId = lastId;
  entry.notification = notification;
  entry.onCommandRange = handler;
  return entry;
}

// Sends message to the first entry that takes it. A command goes to a
// (control, notification) entry first and only then to a WM_COMMAND message
// entry. Nothing when no entry took it or the handler left it to the default.
template <typename Owner>
std::optional<intptr_t> RouteMessage(std::span<const MessageEntry<Owner>> map, Owner& owner,
                                     const WindowMessage& message) {
  if (message.id == kWmCommand) {
    int id = message.ControlId();
    int notification = message.Notification();
    for (const MessageEntry<Owner>& entry : map) {
      bool isCommand = entry.onCommand || entry.onCommandRange;
      if (!isCommand || entry.notification != notification) continue;
      if (id < entry.firstId || id > entry.lastId) continue;
      if (entry.onCommand) (owner.*entry.onCommand)();
      else (owner.*entry.onCommandRange)(id);
      return 0;
    }
  }
  for (const MessageEntry<Owner>& entry : map) {
    if (entry.onMessage && entry.message == message.id) return (owner.*entry.onMessage)(message);
  }
  return std::nullopt;
}

template <typename Owner, size_t N>
std::optional<intptr_t> RouteMessage(const MessageEntry<Owner> (&map)[N], Owner& owner,
                                     const WindowMessage& message) {
  return RouteMessage(std::span<const MessageEntry<Owner>>(map, N), owner, message);
}

}  // namespace korvath
