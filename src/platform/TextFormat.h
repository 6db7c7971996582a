// printf-style formatting into std::string; every display text is built this way.
#pragma once

#include <string>
#include <string_view>

namespace korvath {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string Format(const char* format, ...);

// The one UTF-8 <-> UTF-16 conversion of the program: the settings file, the
// brand string and the Win32 views all go through it. Bytes that form no
// character, code points above U+10FFFF and surrogate halves without their
// other half become U+FFFD; nothing stops the conversion.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The same for wchar_t text: UTF-16 on Windows, UTF-32 elsewhere.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// Widen into a buffer of the caller's, for texts converted every second:
// writes at most capacity units (no terminating zero) and returns how many
// the whole text needs, so that a caller can tell a cut text from a whole one.
size_t WidenInto(std::string_view utf8, wchar_t* out, size_t capacity);

}  // namespace korvath
