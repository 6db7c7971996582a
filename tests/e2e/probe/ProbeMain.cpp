// korvath-probe.exe: drives and reads the windows of another process for
// the end-to-end tests. Run with no arguments for the list of commands.
#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "ResourceCount.h"
#include "WindowQuery.h"
#include "CloseCost.h"

namespace probe {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitTimeout = 2;

constexpr char kUsage[] =
    "usage: korvath-probe <command> ...\n"
    "  run <exe> [args...]             start a process, print its pid, and once it\n"
    "                                  ends \"exit <code>\" (run it in the background)\n"
    "  list [--all] [<pid>|<exe-name>] top-level windows (visible only unless --all)\n"
    "                                  and their controls\n"
    "  text <window> <control-id>      print a control's text as it is\n"
    "  set-text <window> <control-id> <text>\n"
    "  click <window> <control-id>     press a button (BM_CLICK)\n"
    "  icon <window> <control-id>      which standard icon a static control shows:\n"
    "                                  error, warning, information, question or other\n"
    "  command <window> <control-id>   send the window WM_COMMAND from a control\n"
    "  check <window> <control-id>     print a button's check state (0, 1 or 2)\n"
    "  focus <window> <control-id>     move a dialog's focus to the control\n"
    "                                  (the one losing it gets its kill-focus)\n"
    "  client <window>                 print the client area's width and height\n"
    "  owner <window>                  the window's owner (GW_OWNER): \"<handle> caption\n"
    "                                  <quoted caption> enabled 0|1\", or \"none\"\n"
    "  geometry <window> [<control-id>...]  screen rectangles, one line each:\n"
    "                                  \"window L T R B\", \"client L T R B\", then\n"
    "                                  \"<control-id> L T R B\" per control\n"
    "  double-click <window> <x> <y> [right] [shift]\n"
    "                                  a double-click at a client point, left\n"
    "                                  button unless \"right\", Shift held if asked\n"
    "  drag <window> <x1> <y1> <x2> <y2>  left button down at one client point,\n"
    "                                  moved to the other and up there\n"
    "  key <window> <key>              press a key: Enter, Esc, Tab, Space, F1-F12,\n"
    "                                  a letter or digit, or a virtual-key number\n"
    "  post <window> <message> <wparam> <lparam>  post a window message (numbers)\n"
    "  resources <pid>                 the process's GDI and user object counts:\n"
    "                                  \"gdi N user N table N\" (table: live entries of\n"
    "                                  its GDI handle table, \"none\" when unreadable)\n"
    "  resources-self-check            \"ok\" when the table count follows this\n"
    "                                  process's own bitmaps exactly\n"
    "  wait-window <caption> <seconds> [<pid>]  print the window once it shows\n"
    "  wait-menu <seconds> [<pid>]     print a shown pop-up menu window once there is one\n"
    "  wait-closed <window> <seconds>  until the window is gone\n"
    "  wait <pid> <seconds>            print the exit code once the process ends\n"
    "  close-time <window> <key> <seconds>  press the key, then print\n"
    "                                  \"window N exit N code N\": milliseconds until the\n"
    "                                  window is hidden or gone, then until its process\n"
    "                                  ends, and the process's exit code\n"
    "  close-cost                      what hiding a shown window of its own and\n"
    "                                  deleting a tray icon of its own take here:\n"
    "                                  \"hide N tray-delete N\" (milliseconds)\n"
    "  kill <pid>                      end a process with exit code 1\n"
    "  hold-mutex <name> <seconds>     create a named mutex, print \"held\", keep it\n"
    "                                  that long (run it in the background)\n"
    "  stats <pid>                     the process's kernel handles, GDI and USER\n"
    "                                  objects, private bytes, working set,\n"
    "                                  GDI handle-table entries and its entries in\n"
    "                                  the system handle list (server-handles)\n"
    "  handles-self-check              \"ok\" when server-handles follows this\n"
    "                                  process's own handles exactly\n"
    "A <window> is its exact caption or 0x<handle>; a <control-id> may name the\n"
    "class too, as 1148/Edit, when several controls share the identifier.\n"
    "Exit code 0 on success, 1 on failure, 2 on a timeout.\n";

void Print(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                      nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

int Fail(const std::wstring& message) {
  std::fputws((L"korvath-probe: " + message + L"\n").c_str(), stderr);
  return kExitFailed;
}

// One line per window; texts quoted with \n, \r, \t, \" and \\ escaped.
std::wstring Quote(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    switch (c) {
      case L'\n': quoted += L"\\n"; break;
      case L'\r': quoted += L"\\r"; break;
      case L'\t': quoted += L"\\t"; break;
      case L'"': quoted += L"\\\""; break;
      case L'\\': quoted += L"\\\\"; break;
      default: quoted += c;
    }
  }
  return quoted + L"\"";
}

std::wstring HandleText(HWND window) {
  wchar_t text[32];
  std::swprintf(text, 32, L"0x%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

std::wstring RectText(const RECT& rect) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
  return text;
}

bool ParseNumber(const std::wstring& text, unsigned long long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  *value = std::wcstoull(text.c_str(), &end, 0);
  return end != nullptr && *end == L'\0';
}

bool ParseSeconds(const std::wstring& text, DWORD* milliseconds) {
  wchar_t* end = nullptr;
  double seconds = std::wcstod(text.c_str(), &end);
  if (text.empty() || *end != L'\0' || !(seconds >= 0) || seconds > 86400) return false;
  *milliseconds = static_cast<DWORD>(seconds * 1000);
  return true;
}

// Quoting that CommandLineToArgvW and the C runtime undo.
std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty()) return Fail(L"run needs an executable");
  std::wstring commandLine;
  for (const std::wstring& arg : args) commandLine += (commandLine.empty() ? L"" : L" ") + QuoteArgument(arg);
  // No standard handles: under Wine the child would otherwise hold our
  // output open, and a caller reading the pid would wait for it to end.
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(args[0].c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return Fail(L"cannot start " + args[0]);
  }
  CloseHandle(process.hThread);
  Print(std::to_wstring(process.dwProcessId) + L"\n");
  // Holding the handle keeps the ended process's exit code readable for
  // "wait", however late that comes.
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  Print(L"exit " + std::to_wstring(exitCode) + L"\n");
  return kExitOk;
}

int List(const std::vector<std::wstring>& arguments) {
  std::vector<std::wstring> args = arguments;
  bool all = !args.empty() && args[0] == L"--all";
  if (all) args.erase(args.begin());
  unsigned long long pid = 0;
  bool byPid = !args.empty() && ParseNumber(args[0], &pid);
  std::wstring exeName;
  if (!args.empty() && !byPid) {
    exeName = args[0];
    for (wchar_t& c : exeName) c = static_cast<wchar_t>(towlower(c));
  }
  for (const WindowInfo& window : TopLevelWindows()) {
    if (!all && !window.visible) continue;
    if (byPid && window.processId != pid) continue;
    std::wstring exe = ProcessExeName(window.processId);
    if (!exeName.empty() && exe != exeName) continue;
    Print(L"window " + HandleText(window.handle) + L" pid " + std::to_wstring(window.processId) + L" exe " +
          Quote(exe) + L" class " + Quote(window.className) + L" caption " + Quote(window.text) + L" rect " +
          RectText(window.rect) + L" visible " + (window.visible ? L"1" : L"0") + L"\n");
    for (const WindowInfo& child : ChildWindows(window.handle)) {
      Print(L"  control " + std::to_wstring(child.controlId) + L" class " + Quote(child.className) +
            L" text " + Quote(child.text) + L" rect " + RectText(child.rect) + L" visible " +
            (child.visible ? L"1" : L"0") + L" enabled " + (child.enabled ? L"1" : L"0") + L"\n");
    }
  }
  return kExitOk;
}

// Resolves "<window> <control-id>" arguments.
bool FindWindowAndControl(const std::vector<std::wstring>& args, HWND* window, HWND* control, int* id) {
  if (args.size() < 2) return Fail(L"expected <window> <control-id>"), false;
  // "<id>/<class>" picks one part of a compound control.
  size_t slash = args[1].find(L'/');
  std::wstring idText = args[1].substr(0, slash);
  std::wstring className = slash == std::wstring::npos ? std::wstring() : args[1].substr(slash + 1);
  unsigned long long number = 0;
  if (!ParseNumber(idText, &number)) return Fail(L"not a control id: " + args[1]), false;
  *id = static_cast<int>(number);
  *window = FindTopLevelWindow(args[0]);
  if (*window == nullptr) return Fail(L"no window " + args[0]), false;
  *control = FindControl(*window, *id, className);
  if (*control == nullptr) return Fail(L"no control " + args[1] + L" in " + args[0]), false;
  return true;
}

int Text(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  Print(WindowText(control) + L"\n");
  return kExitOk;
}

int SetText(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (args.size() != 3) return Fail(L"set-text needs <window> <control-id> <text>");
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2].c_str()), SMTO_ABORTIFHUNG,
                           2000, &result)) {
    return Fail(L"the window did not answer");
  }
  return kExitOk;
}

// Posted, not sent: a click that opens a modal dialog must not block us.
int Click(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  return PostMessageW(control, BM_CLICK, 0, 0) ? kExitOk : Fail(L"cannot post to the control");
}

int Command(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  WPARAM command = MAKEWPARAM(id, BN_CLICKED);
  return PostMessageW(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control))
             ? kExitOk
             : Fail(L"cannot post to the window");
}

int Check(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state)) {
    return Fail(L"the control did not answer");
  }
  Print(std::to_wstring(state) + L"\n");
  return kExitOk;
}

// Posted to the dialog, whose own thread moves the focus as Tab would.
int Focus(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  return PostMessageW(GetParent(control), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE)
             ? kExitOk
             : Fail(L"cannot post to the window");
}

// Which window a box or picker belongs to: the one it blocks while open.
int Owner(const std::vector<std::wstring>& args) {
  if (args.size() != 1) return Fail(L"owner needs <window>");
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  HWND owner = GetWindow(window, GW_OWNER);
  if (owner == nullptr) {
    Print(L"none\n");
    return kExitOk;
  }
  Print(HandleText(owner) + L" caption " + Quote(WindowText(owner)) + L" enabled " +
        (IsWindowEnabled(owner) ? L"1" : L"0") + L"\n");
  return kExitOk;
}

int Client(const std::vector<std::wstring>& args) {
  if (args.size() != 1) return Fail(L"client needs <window>");
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  RECT client{};
  if (!GetClientRect(window, &client)) return Fail(L"no client area");
  Print(std::to_wstring(client.right - client.left) + L" " + std::to_wstring(client.bottom - client.top) + L"\n");
  return kExitOk;
}

int Geometry(const std::vector<std::wstring>& args) {
  if (args.empty()) return Fail(L"geometry needs <window>");
  // Physical pixels, as the system-aware program sees them.
  SetProcessDPIAware();
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  RECT frame{}, client{};
  if (!GetWindowRect(window, &frame) || !GetClientRect(window, &client)) return Fail(L"no rectangle");
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  Print(L"window " + RectText(frame) + L"\nclient " + RectText(client) + L"\n");
  for (size_t i = 1; i < args.size(); ++i) {
    unsigned long long id = 0;
    if (!ParseNumber(args[i], &id)) return Fail(L"not a control id: " + args[i]);
    HWND control = FindControl(window, static_cast<int>(id));
    RECT rect{};
    if (control == nullptr || !GetWindowRect(control, &rect)) return Fail(L"no control " + args[i]);
    Print(args[i] + L" " + RectText(rect) + L"\n");
  }
  return kExitOk;
}

int DoubleClick(const std::vector<std::wstring>& args) {
  if (args.size() < 3) return Fail(L"double-click needs <window> <x> <y>");
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  unsigned long long x = 0, y = 0;
  if (!ParseNumber(args[1], &x) || !ParseNumber(args[2], &y)) return Fail(L"not a point");
  bool right = false, shift = false;
  for (size_t i = 3; i < args.size(); ++i) {
    if (args[i] == L"right") right = true;
    else if (args[i] == L"shift") shift = true;
    else return Fail(L"unknown option " + args[i]);
  }
  WPARAM keys = (right ? MK_RBUTTON : MK_LBUTTON) | (shift ? MK_SHIFT : 0);
  LPARAM point = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
  return PostMessageW(window, right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK, keys, point)
             ? kExitOk
             : Fail(L"cannot post to the window");
}

// Posted in a row, the three messages come before any real mouse input.
int Drag(const std::vector<std::wstring>& args) {
  if (args.size() != 5) return Fail(L"drag needs <window> <x1> <y1> <x2> <y2>");
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  long long point[4] = {};
  for (int i = 0; i < 4; ++i) {
    wchar_t* end = nullptr;
    point[i] = std::wcstoll(args[static_cast<size_t>(i) + 1].c_str(), &end, 10);
    if (end == nullptr || *end != L'\0') return Fail(L"not a point: " + args[static_cast<size_t>(i) + 1]);
  }
  LPARAM from = MAKELPARAM(static_cast<WORD>(point[0]), static_cast<WORD>(point[1]));
  LPARAM to = MAKELPARAM(static_cast<WORD>(point[2]), static_cast<WORD>(point[3]));
  bool ok = PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, from) &&
            PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, to) && PostMessageW(window, WM_LBUTTONUP, 0, to);
  return ok ? kExitOk : Fail(L"cannot post to the window");
}

// Top-down 32-bit pixels of a bitmap.
std::vector<uint32_t> BitmapPixels(HDC dc, HBITMAP bitmap, int* width, int* height) {
  BITMAP header{};
  if (bitmap == nullptr || !GetObjectW(bitmap, sizeof(header), &header)) return {};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = header.bmWidth;
  format.bmiHeader.biHeight = -header.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(header.bmWidth) * header.bmHeight);
  if (!GetDIBits(dc, bitmap, 0, header.bmHeight, pixels.data(), &format, DIB_RGB_COLORS)) return {};
  *width = header.bmWidth;
  *height = header.bmHeight;
  return pixels;
}

// Icon handles are private to their process, so the icon a control shows
// is recognised by its pixels on the screen: the opaque pixels of a
// standard icon must match what is drawn at the control's corner.
bool ShowsIcon(HWND control, HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  HDC screen = GetDC(nullptr);
  int width = 0, height = 0, maskWidth = 0, maskHeight = 0;
  std::vector<uint32_t> colour = BitmapPixels(screen, info.hbmColor, &width, &height);
  std::vector<uint32_t> mask = BitmapPixels(screen, info.hbmMask, &maskWidth, &maskHeight);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  RECT rect{};
  GetWindowRect(control, &rect);
  bool hasAlpha = false;
  for (uint32_t pixel : colour) hasAlpha = hasAlpha || (pixel >> 24) != 0;
  int compared = 0, matched = 0;
  for (int y = 0; y < height && y < maskHeight; ++y) {
    for (int x = 0; x < width && x < maskWidth; ++x) {
      uint32_t pixel = colour[static_cast<size_t>(y) * width + x];
      bool opaque = hasAlpha ? (pixel >> 24) == 0xFF : (mask[static_cast<size_t>(y) * maskWidth + x] & 0xFFFFFF) == 0;
      if (!opaque) continue;
      COLORREF shown = GetPixel(screen, rect.left + x, rect.top + y);
      uint32_t expected = pixel & 0xFFFFFF;
      // GetPixel answers 0x00BBGGRR; the bitmap holds 0x00RRGGBB.
      uint32_t shownRgb = (GetRValue(shown) << 16) | (GetGValue(shown) << 8) | GetBValue(shown);
      ++compared;
      if (shownRgb == expected) ++matched;
    }
  }
  ReleaseDC(nullptr, screen);
  return compared > 0 && matched * 10 >= compared * 9;
}

int Icon(const std::vector<std::wstring>& args) {
  HWND window, control;
  int id;
  if (!FindWindowAndControl(args, &window, &control, &id)) return kExitFailed;
  static const struct {
    const wchar_t* name;
    LPCWSTR id;
  } kStandard[] = {{L"error", IDI_HAND}, {L"warning", IDI_EXCLAMATION}, {L"information", IDI_ASTERISK},
                   {L"question", IDI_QUESTION}};
  for (const auto& standard : kStandard) {
    if (ShowsIcon(control, LoadIconW(nullptr, standard.id))) {
      Print(std::wstring(standard.name) + L"\n");
      return kExitOk;
    }
  }
  Print(L"other\n");
  return kExitOk;
}

UINT ParseKey(const std::wstring& name) {
  static const struct {
    const wchar_t* name;
    UINT key;
  } kNames[] = {{L"Enter", VK_RETURN}, {L"Return", VK_RETURN}, {L"Esc", VK_ESCAPE}, {L"Escape", VK_ESCAPE},
                {L"Tab", VK_TAB},      {L"Space", VK_SPACE},   {L"Up", VK_UP},       {L"Down", VK_DOWN},
                {L"Left", VK_LEFT},    {L"Right", VK_RIGHT},   {L"Delete", VK_DELETE}, {L"Back", VK_BACK}};
  for (const auto& entry : kNames) {
    if (_wcsicmp(name.c_str(), entry.name) == 0) return entry.key;
  }
  if (name.size() >= 2 && (name[0] == L'F' || name[0] == L'f')) {
    int number = _wtoi(name.c_str() + 1);
    if (number >= 1 && number <= 12) return VK_F1 + number - 1;
  }
  if (name.size() == 1 && iswalnum(name[0])) return towupper(name[0]);
  unsigned long long number = 0;
  if (ParseNumber(name, &number) && number > 0 && number < 256) return static_cast<UINT>(number);
  return 0;
}

// The key goes to the control that has the focus in the window's thread,
// where the dialog's own message loop turns Enter and Esc into commands.
int Key(const std::vector<std::wstring>& args) {
  if (args.size() != 2) return Fail(L"key needs <window> <key>");
  UINT key = ParseKey(args[1]);
  if (key == 0) return Fail(L"unknown key " + args[1]);
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus != nullptr &&
      (thread.hwndFocus == window || IsChild(window, thread.hwndFocus))) {
    target = thread.hwndFocus;
  }
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
  bool ok = PostMessageW(target, WM_KEYDOWN, key, scan | 1) &&
            PostMessageW(target, WM_KEYUP, key, scan | 1 | (LPARAM{3} << 30));
  return ok ? kExitOk : Fail(L"cannot post to the window");
}

// The way the shell reports a click on a tray icon, among others.
int Post(const std::vector<std::wstring>& args) {
  if (args.size() != 4) return Fail(L"post needs <window> <message> <wparam> <lparam>");
  unsigned long long message = 0, wParam = 0, lParam = 0;
  if (!ParseNumber(args[1], &message) || !ParseNumber(args[2], &wParam) || !ParseNumber(args[3], &lParam)) {
    return Fail(L"post takes numbers");
  }
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  return PostMessageW(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))
             ? kExitOk
             : Fail(L"cannot post to the window");
}

int Resources(const std::vector<std::wstring>& args) {
  unsigned long long pid = 0;
  if (args.size() != 1 || !ParseNumber(args[0], &pid)) return Fail(L"resources needs <pid>");
  std::optional<ResourceCounts> counts = CountResources(static_cast<DWORD>(pid));
  if (!counts) return Fail(L"cannot open process " + args[0]);
  Print(L"gdi " + std::to_wstring(counts->gdiObjects) + L" user " + std::to_wstring(counts->userObjects) +
        L" table " + (counts->gdiTableEntries ? std::to_wstring(*counts->gdiTableEntries) : L"none") + L"\n");
  return kExitOk;
}

int ResourcesSelfCheck(const std::vector<std::wstring>&) {
  bool works = GdiTableCountWorks();
  Print(works ? L"ok\n" : L"unusable\n");
  return works ? kExitOk : kExitFailed;
}

// Pop-up menus are top-level windows of the class "#32768" without a caption.
int WaitMenu(const std::vector<std::wstring>& args) {
  DWORD timeout = 0;
  if (args.empty() || !ParseSeconds(args[0], &timeout)) return Fail(L"wait-menu needs <seconds>");
  unsigned long long pid = 0;
  if (args.size() > 1 && !ParseNumber(args[1], &pid)) return Fail(L"not a pid: " + args[1]);
  DWORD start = GetTickCount();
  for (;;) {
    for (const WindowInfo& window : TopLevelWindows()) {
      if (window.visible && window.className == L"#32768" && (pid == 0 || window.processId == pid)) {
        Print(HandleText(window.handle) + L"\n");
        return kExitOk;
      }
    }
    if (GetTickCount() - start >= timeout) return kExitTimeout;
    Sleep(100);
  }
}

int WaitWindow(const std::vector<std::wstring>& args) {
  DWORD timeout = 0;
  if (args.size() < 2 || !ParseSeconds(args[1], &timeout)) return Fail(L"wait-window needs <caption> <seconds>");
  unsigned long long pid = 0;
  if (args.size() > 2 && !ParseNumber(args[2], &pid)) return Fail(L"not a pid: " + args[2]);
  DWORD start = GetTickCount();
  for (;;) {
    for (const WindowInfo& window : TopLevelWindows()) {
      if (window.visible && window.text == args[0] && (pid == 0 || window.processId == pid)) {
        Print(HandleText(window.handle) + L"\n");
        return kExitOk;
      }
    }
    if (GetTickCount() - start >= timeout) return kExitTimeout;
    Sleep(100);
  }
}

int WaitClosed(const std::vector<std::wstring>& args) {
  DWORD timeout = 0;
  if (args.size() != 2 || !ParseSeconds(args[1], &timeout)) return Fail(L"wait-closed needs <window> <seconds>");
  DWORD start = GetTickCount();
  while (FindTopLevelWindow(args[0]) != nullptr) {
    if (GetTickCount() - start >= timeout) return kExitTimeout;
    Sleep(100);
  }
  return kExitOk;
}

HANDLE OpenProcessById(const std::wstring& text, DWORD access) {
  unsigned long long pid = 0;
  if (!ParseNumber(text, &pid)) return nullptr;
  return OpenProcess(access, FALSE, static_cast<DWORD>(pid));
}

int Wait(const std::vector<std::wstring>& args) {
  DWORD timeout = 0;
  if (args.size() != 2 || !ParseSeconds(args[1], &timeout)) return Fail(L"wait needs <pid> <seconds>");
  HANDLE process = OpenProcessById(args[0], SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
  if (process == nullptr) return Fail(L"no process " + args[0]);
  DWORD waited = WaitForSingleObject(process, timeout);
  DWORD exitCode = 0;
  bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process, &exitCode);
  CloseHandle(process);
  if (!ended) return kExitTimeout;
  Print(std::to_wstring(exitCode) + L"\n");
  return kExitOk;
}

// Presses a key in a window and times what follows in one process, so that
// no start of another probe falls into the figures: the
// milliseconds from the key to the window's disappearance (hidden or
// destroyed) and from there to the end of the window's process, then the
// process's exit code: "window N exit N code N".
int CloseTime(const std::vector<std::wstring>& args) {
  DWORD timeout = 0;
  if (args.size() != 3 || !ParseSeconds(args[2], &timeout)) return Fail(L"close-time needs <window> <key> <seconds>");
  HWND window = FindTopLevelWindow(args[0]);
  if (window == nullptr) return Fail(L"no window " + args[0]);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return Fail(L"cannot open the window's process");
  DWORD start = GetTickCount();
  int result = Key({args[0], args[1]});
  if (result != kExitOk) {
    CloseHandle(process);
    return result;
  }
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeout) {
      CloseHandle(process);
      return kExitTimeout;
    }
    Sleep(5);
  }
  DWORD closed = GetTickCount();
  DWORD left = timeout - (closed - start);
  DWORD waited = WaitForSingleObject(process, left);
  DWORD ended = GetTickCount();
  DWORD exitCode = 0;
  bool gotCode = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process, &exitCode);
  CloseHandle(process);
  if (!gotCode) return kExitTimeout;
  Print(L"window " + std::to_wstring(closed - start) + L" exit " + std::to_wstring(ended - closed) + L" code " +
        std::to_wstring(exitCode) + L"\n");
  return kExitOk;
}

int CloseCost(const std::vector<std::wstring>& args) {
  if (!args.empty()) return Fail(L"close-cost takes no arguments");
  CloseCosts costs = MeasureCloseCosts();
  Print(L"hide " + std::to_wstring(costs.hideMs) + L" tray-delete " +
        (costs.trayAdded ? std::to_wstring(costs.trayDeleteMs) : std::wstring(L"none")) + L"\n");
  return kExitOk;
}

int Kill(const std::vector<std::wstring>& args) {
  if (args.size() != 1) return Fail(L"kill needs <pid>");
  HANDLE process = OpenProcessById(args[0], PROCESS_TERMINATE);
  if (process == nullptr) return Fail(L"no process " + args[0]);
  BOOL ok = TerminateProcess(process, 1);
  CloseHandle(process);
  return ok ? kExitOk : Fail(L"cannot end process " + args[0]);
}

// Holds a named mutex as a program of another session holds its own.
int HoldMutex(const std::vector<std::wstring>& args) {
  DWORD timeout = 0;
  if (args.size() != 2 || !ParseSeconds(args[1], &timeout)) return Fail(L"hold-mutex needs <name> <seconds>");
  HANDLE mutex = CreateMutexW(nullptr, FALSE, args[0].c_str());
  if (mutex == nullptr) return Fail(L"cannot create mutex " + args[0]);
  Print(L"held\n");
  Sleep(timeout);
  CloseHandle(mutex);
  return kExitOk;
}

// One line, "handles N gdi N user N private N working-set N gdi-table N
// server-handles N"; a figure the system cannot give reads -1 (gdi-table:
// see ResourceCounts; server-handles: CountKernelHandles).
int Stats(const std::vector<std::wstring>& args) {
  if (args.size() != 1) return Fail(L"stats needs <pid>");
  HANDLE process = OpenProcessById(args[0], PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
  if (process == nullptr) return Fail(L"no process " + args[0]);
  DWORD handles = 0;
  long long handleCount = GetProcessHandleCount(process, &handles) ? static_cast<long long>(handles) : -1;
  std::optional<ResourceCounts> objects = CountResources(GetProcessId(process));
  long long gdi = objects ? static_cast<long long>(objects->gdiObjects) : -1;
  long long user = objects ? static_cast<long long>(objects->userObjects) : -1;
  long long gdiTable = objects && objects->gdiTableEntries ? static_cast<long long>(*objects->gdiTableEntries) : -1;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  long long privateBytes = -1;
  long long workingSet = -1;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
    privateBytes = static_cast<long long>(memory.PrivateUsage);
    workingSet = static_cast<long long>(memory.WorkingSetSize);
  }
  std::optional<DWORD> listed = CountKernelHandles(GetProcessId(process));
  CloseHandle(process);
  long long serverHandles = listed ? static_cast<long long>(*listed) : -1;
  Print(L"handles " + std::to_wstring(handleCount) + L" gdi " + std::to_wstring(gdi) + L" user " +
        std::to_wstring(user) + L" private " + std::to_wstring(privateBytes) + L" working-set " +
        std::to_wstring(workingSet) + L" gdi-table " + std::to_wstring(gdiTable) + L" server-handles " +
        std::to_wstring(serverHandles) + L"\n");
  return kExitOk;
}

int HandlesSelfCheck(const std::vector<std::wstring>&) {
  Print(KernelHandleCountWorks() ? L"ok\n" : L"no\n");
  return kExitOk;
}

}  // namespace
}  // namespace probe

int wmain(int argc, wchar_t** argv) {
  using namespace probe;
  // Texts leave exactly as the windows hold them: no CR added before LF.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return kExitFailed;
  }
  std::wstring command = argv[1];
  std::vector<std::wstring> args(argv + 2, argv + argc);
  static const struct {
    const wchar_t* name;
    int (*run)(const std::vector<std::wstring>&);
  } kCommands[] = {{L"run", Run},         {L"list", List},
                   {L"text", Text},       {L"set-text", SetText},
                   {L"click", Click},     {L"command", Command},
                   {L"icon", Icon},       {L"check", Check},
                   {L"focus", Focus},     {L"client", Client},
                   {L"owner", Owner},     {L"geometry", Geometry},
                   {L"double-click", DoubleClick}, {L"drag", Drag},
                   {L"key", Key},         {L"post", Post},
                   {L"resources", Resources}, {L"resources-self-check", ResourcesSelfCheck},
                   {L"wait-menu", WaitMenu},  {L"wait-window", WaitWindow},
                   {L"wait-closed", WaitClosed}, {L"wait", Wait},
                   {L"close-time", CloseTime}, {L"close-cost", CloseCost},
                   {L"kill", Kill},       {L"stats", Stats},
                   {L"handles-self-check", HandlesSelfCheck}, {L"hold-mutex", HoldMutex}};
  for (const auto& entry : kCommands) {
    if (command == entry.name) return entry.run(args);
  }
  std::fputs(kUsage, stderr);
  return kExitFailed;
}
