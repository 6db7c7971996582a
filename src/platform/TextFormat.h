// printf-style formatting into std::string; every display text is built this way.
#pragma once

#include <string>

namespace korvath {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string Format(const char* format, ...);

// UTF-8 <-> UTF-16 for the Win32 views and the profile functions.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace korvath
