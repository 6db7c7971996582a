#include "hw/BrandModelName.h"

#include <vector>

#include "hw/ProcessorSupport.h"

namespace korvath {
namespace {

void EraseAll(std::u16string& text, std::u16string_view mark) {
  for (size_t at = text.find(mark); at != std::u16string::npos; at = text.find(mark, at)) {
    text.erase(at, mark.size());
  }
}

// Words every brand string carries that say nothing about the model.
bool IsFillerWord(std::u16string_view word) {
  return word == u"Intel" || word == u"Core" || word == u"CPU" || word == u"Processor" ||
         word == u"Genuine";
}

// "12th", "14th": the generation in front of the newer desktop names.
bool IsGenerationOrdinal(std::u16string_view word) {
  if (word.size() < 3 || word.substr(word.size() - 2) != u"th") return false;
  for (char16_t c : word.substr(0, word.size() - 2)) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

}  // namespace

BrandText ModelNameFromBrand(const BrandText& brandString) {
  std::u16string text(VisiblePart(brandString));
  const size_t clock = text.find(u" @");
  if (clock != std::u16string::npos) text.erase(clock);
  for (std::u16string_view mark : {u"(R)", u"(TM)", u"(tm)"}) EraseAll(text, mark);

  std::vector<std::u16string_view> words;
  const std::u16string_view view(text);
  size_t start = 0;
  while (start < view.size()) {
    size_t end = view.find(u' ', start);
    if (end == std::u16string_view::npos) end = view.size();
    std::u16string_view word = view.substr(start, end - start);
    if (!word.empty() && !IsFillerWord(word)) words.push_back(word);
    start = end + 1;
  }
  size_t first = 0;
  if (words.size() >= 2 && IsGenerationOrdinal(words[0]) && words[1] == u"Gen") first = 2;

  BrandText name;
  for (size_t i = first; i < words.size(); ++i) {
    if (!name.empty()) name += u' ';
    name += words[i];
  }
  return name;
}

bool IsNamedByBrand(const BrandText& modelNumber, const BrandText& brandString, int signature) {
  return VisiblePart(modelNumber).empty() && !VisiblePart(brandString).empty() &&
         SignatureFamily(signature) == 6 && DisplayModel(signature) >= 0x1E;
}

}  // namespace korvath
