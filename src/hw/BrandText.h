// The processor's brand string and the texts cut from it, kept as 16-bit
// code units with their NUL padding, and the few text operations that the
// identification rules are phrased in.
#pragma once

#include <string>
#include <string_view>

namespace korvath {

// 16-bit code units; may hold NUL characters that are part of the length.
using BrandText = std::u16string;

inline constexpr size_t kBrandStringLength = 48;

BrandText ToBrandText(std::string_view ascii);

// The part before the first NUL: what searches, comparisons and the window see.
std::u16string_view VisiblePart(const BrandText& text);

// Substring search and comparisons in the manner of the C wide-string
// functions: both sides end at their first NUL.
bool Contains(const BrandText& haystack, std::string_view needle);
bool IsContainedIn(const BrandText& needle, std::string_view haystack);
bool Equals(const BrandText& text, std::string_view ascii);
// Code-unit order of the whole texts: text >= ascii.
bool AtOrAfter(const BrandText& text, std::string_view ascii);

// UTF-8 form of the visible part, for display and the rest of the system.
std::string ToUtf8(const BrandText& text);

}  // namespace korvath
