#include "hw/BrandText.h"

#include "platform/TextFormat.h"

namespace korvath {
namespace {

std::u16string_view Visible(std::u16string_view text) {
  size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

std::u16string_view VisibleAscii(std::string_view ascii, BrandText& storage) {
  storage = ToBrandText(ascii);
  return Visible(storage);
}

}  // namespace

BrandText ToBrandText(std::string_view ascii) {
  BrandText text;
  text.reserve(ascii.size());
  for (char c : ascii) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return text;
}

std::u16string_view VisiblePart(const BrandText& text) { return Visible(text); }

bool Contains(const BrandText& haystack, std::string_view needle) {
  BrandText storage;
  return Visible(haystack).find(VisibleAscii(needle, storage)) != std::u16string_view::npos;
}

bool IsContainedIn(const BrandText& needle, std::string_view haystack) {
  BrandText storage;
  return VisibleAscii(haystack, storage).find(Visible(needle)) != std::u16string_view::npos;
}

bool Equals(const BrandText& text, std::string_view ascii) {
  BrandText storage;
  return Visible(text) == VisibleAscii(ascii, storage);
}

bool AtOrAfter(const BrandText& text, std::string_view ascii) {
  BrandText storage;
  return Visible(text).compare(VisibleAscii(ascii, storage)) >= 0;
}

// Brand bytes are widened one by one, so no surrogate pairs occur; a lone
// surrogate is shown as the replacement character.
std::string ToUtf8(const BrandText& text) { return Utf16ToUtf8(Visible(text)); }

}  // namespace korvath
