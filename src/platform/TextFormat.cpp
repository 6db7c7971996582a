#include "platform/TextFormat.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace korvath {

// The texts of a cycle are short: one pass into a buffer on the stack, and a
// second pass only for a text that does not fit.
std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0 && static_cast<size_t>(length) < sizeof buffer) {
    text.assign(buffer, static_cast<size_t>(length));
  } else if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Hand-written so that the portable build needs no locale. Lenient as the
// readers of the settings file are: an overlong form still decodes, and an
// encoded surrogate stays a code unit of its own.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  char32_t code = kReplacement;
  size_t extra = 0;
  if (c < 0x80) {
    code = c;
  } else if ((c & 0xE0) == 0xC0) {
    code = c & 0x1F;
    extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    code = c & 0x0F;
    extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    code = c & 0x07;
    extra = 3;
  }
  bool valid = c < 0x80 || (extra > 0 && i + extra < text.size());
  for (size_t k = 1; valid && k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) valid = false;
    else code = (code << 6) | (next & 0x3F);
  }
  if (!valid) {
    i += 1;
    return kReplacement;
  }
  i += extra + 1;
  return code > 0x10FFFF ? kReplacement : code;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsSurrogate(char32_t code) { return code >= 0xD800 && code < 0xE000; }

// Text in 16-bit units gets surrogate pairs; 32-bit units take the code
// point. Each unit goes to put(unit).
template <typename Unit, typename Put>
void DecodeAll(std::string_view utf8, Put&& put) {
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t code = DecodeUtf8(utf8, i);
    if (code >= 0x10000 && sizeof(Unit) == 2) {
      code -= 0x10000;
      put(static_cast<Unit>(0xD800 + (code >> 10)));
      put(static_cast<Unit>(0xDC00 + (code & 0x3FF)));
    } else {
      put(static_cast<Unit>(code));
    }
  }
}

template <typename Unit>
std::basic_string<Unit> FromUtf8(std::string_view utf8) {
  std::basic_string<Unit> out;
  out.reserve(utf8.size());
  DecodeAll<Unit>(utf8, [&out](Unit unit) { out.push_back(unit); });
  return out;
}

template <typename Unit>
std::string ToUtf8(std::basic_string_view<Unit> text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    auto code = static_cast<char32_t>(text[i]);
    if (sizeof(Unit) == 2 && code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (IsSurrogate(code) || code > 0x10FFFF) {
      code = kReplacement;  // for example half of a pair cut off by a buffer size
    }
    AppendUtf8(out, code);
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) { return FromUtf8<char16_t>(utf8); }

std::string Utf16ToUtf8(std::u16string_view utf16) { return ToUtf8(utf16); }

std::wstring Widen(const std::string& utf8) { return FromUtf8<wchar_t>(utf8); }

std::string Narrow(const std::wstring& wide) { return ToUtf8(std::wstring_view(wide)); }

size_t WidenInto(std::string_view utf8, wchar_t* out, size_t capacity) {
  size_t needed = 0;
  DecodeAll<wchar_t>(utf8, [&](wchar_t unit) {
    if (needed < capacity) out[needed] = unit;
    ++needed;
  });
  return needed;
}

}  // namespace korvath
