#include "platform/TextFormat.h"

#include <gtest/gtest.h>

namespace korvath {
namespace {

TEST(TextFormat, Utf8AndUtf16RoundTrip) {
  // ASCII, two-, three- and four-byte characters (the last as a surrogate pair).
  const std::string text = "a\xC2\xB0\xE2\x82\xAC\xF0\x9F\x94\xA5";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, (std::u16string{u'a', 0xB0, 0x20AC, 0xD83D, 0xDD25}));
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  EXPECT_EQ(Narrow(Widen(text)), text);
}

TEST(TextFormat, BrokenInputBecomesReplacementCharacters) {
  // A stray continuation byte, a sequence cut short by the end, a lead byte
  // followed by ASCII, and a code point beyond U+10FFFF.
  EXPECT_EQ(Utf8ToUtf16("\x80x"), (std::u16string{0xFFFD, u'x'}));
  EXPECT_EQ(Utf8ToUtf16("x\xE2\x82"), (std::u16string{u'x', 0xFFFD, 0xFFFD}));
  EXPECT_EQ(Utf8ToUtf16("\xC3y"), (std::u16string{0xFFFD, u'y'}));
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), std::u16string{0xFFFD});
  // Half a surrogate pair, as a buffer size can leave it, at the end and inside.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD83D}), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDD25, u'b'}), "\xEF\xBF\xBD" "b");
  EXPECT_EQ(Narrow(std::wstring{L'a', static_cast<wchar_t>(0xD800)}), "a\xEF\xBF\xBD");
}

TEST(TextFormat, WidenIntoACallersBufferCutsAndTellsTheWholeLength) {
  const std::string text = "62\xC2\xB0" "C \xF0\x9F\x94\xA5";  // the emoji takes two units on Windows
  const std::wstring whole = Widen(text);
  wchar_t buffer[16];
  ASSERT_EQ(WidenInto(text, buffer, std::size(buffer)), whole.size());
  EXPECT_EQ(std::wstring(buffer, whole.size()), whole);
  wchar_t cut[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(WidenInto(text, cut, 2), whole.size());
  EXPECT_EQ(std::wstring(cut, 3), (std::wstring{L'6', L'2', L'x'})) << "nothing written past the capacity";
}

}  // namespace
}  // namespace korvath
