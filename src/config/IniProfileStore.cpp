#include "config/IniProfileStore.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

// What the profile functions count as blank, Ctrl-Z (the old end-of-file
// mark) included.
bool IsProfileSpace(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    if (c >= 0x80) {
      if (c >= 0xC2 && c <= 0xDF) extra = 1;
      else if (c >= 0xE0 && c <= 0xEF) extra = 2;
      else if (c >= 0xF0 && c <= 0xF4) extra = 3;
      else return false;
    }
    if (i + extra >= bytes.size() && extra > 0) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// UTF-16 is what the profile functions count in: buffer sizes are in UTF-16
// units, so values are cut in that form. A file that is not UTF-8 is taken
// one byte per character.
std::u16string ToUtf16(std::string_view text, bool utf8) {
  if (utf8) return Utf8ToUtf16(text);
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsProfileSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileSpace(text.back())) text.remove_suffix(1);
  return text;
}

char16_t FoldCase(char16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::filesystem::path NativePath(const std::string& utf8) {
#if defined(_WIN32)
  return std::filesystem::path(Widen(utf8));
#else
  return std::filesystem::path(utf8);
#endif
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
#if defined(_WIN32)
  FILE* file = _wfopen(Widen(path).c_str(), L"rb");
#else
  FILE* file = std::fopen(path.c_str(), "rb");
#endif
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
#if defined(_WIN32)
  FILE* file = _wfopen(Widen(path).c_str(), L"wb");
#else
  FILE* file = std::fopen(path.c_str(), "wb");
#endif
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = (std::fflush(file) == 0) && written;
  return (std::fclose(file) == 0) && written;
}

// One line of the file as it was read: raw bytes for writing back untouched,
// the decoded text for matching.
struct ProfileLine {
  enum class Kind { kBlank, kSection, kEntry };
  std::string raw;
  Kind kind = Kind::kBlank;
  std::u16string name;  // section name, or the entry's key
  std::optional<std::u16string> value;
};

struct ProfileFile {
  bool exists = false;
  bool byteOrderMark = false;
  bool utf8 = true;  // otherwise the bytes are taken one character each
  std::string_view lineEnding = "\r\n";
  std::vector<ProfileLine> lines;
};

ProfileLine ClassifyLine(std::string raw, bool utf8) {
  ProfileLine line;
  std::u16string text = ToUtf16(raw, utf8);
  line.raw = std::move(raw);
  std::u16string_view rest = text;
  while (!rest.empty() && IsProfileSpace(rest.front())) rest.remove_prefix(1);
  if (rest.empty()) return line;
  if (rest.front() == u'[') {
    size_t close = rest.rfind(u']');
    if (close != std::u16string_view::npos) {
      line.kind = ProfileLine::Kind::kSection;
      line.name = std::u16string(Trim(rest.substr(1, close - 1)));
      return line;
    }
  }
  line.kind = ProfileLine::Kind::kEntry;
  size_t equals = rest.find(u'=');
  if (equals == std::u16string_view::npos) {
    line.name = std::u16string(Trim(rest));
  } else {
    line.name = std::u16string(Trim(rest.substr(0, equals)));
    line.value = std::u16string(Trim(rest.substr(equals + 1)));
  }
  return line;
}

ProfileFile LoadProfile(const std::string& path) {
  ProfileFile file;
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return file;
  file.exists = true;
  std::string_view text = *bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    file.byteOrderMark = true;
    text.remove_prefix(3);
  }
  file.utf8 = IsValidUtf8(text);
  size_t firstBreak = text.find_first_of("\r\n");
  if (firstBreak != std::string_view::npos && text[firstBreak] == '\n') file.lineEnding = "\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    file.lines.push_back(ClassifyLine(std::string(text.substr(start, end - start)), file.utf8));
    start = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++start;
  }
  return file;
}

// Index range of the first section of that name: [header, end).
struct SectionRange {
  size_t header = 0;
  size_t end = 0;
};

std::optional<SectionRange> FindSection(const ProfileFile& file, std::u16string_view section) {
  for (size_t i = 0; i < file.lines.size(); ++i) {
    const ProfileLine& line = file.lines[i];
    if (line.kind != ProfileLine::Kind::kSection || !EqualsIgnoringCase(line.name, section)) continue;
    size_t end = i + 1;
    while (end < file.lines.size() && file.lines[end].kind != ProfileLine::Kind::kSection) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindEntry(const ProfileFile& file, const SectionRange& range, std::u16string_view key) {
  for (size_t i = range.header + 1; i < range.end; ++i) {
    const ProfileLine& line = file.lines[i];
    if (line.kind == ProfileLine::Kind::kEntry && EqualsIgnoringCase(line.name, key)) return i;
  }
  return std::nullopt;
}

// The copy into the caller's buffer: surrounding quotes of one kind are
// dropped when the closing one fits, and at most bufferSize - 1 units come back.
std::u16string CopyEntry(std::u16string_view value, size_t bufferSize) {
  char16_t quote = 0;
  if (!value.empty() && (value.front() == u'\'' || value.front() == u'"') && value.size() > 1 &&
      value.back() == value.front()) {
    quote = value.front();
    value.remove_prefix(1);
  }
  std::u16string out(value.substr(0, bufferSize - 1));
  if (quote && bufferSize >= value.size() && !out.empty()) out.pop_back();
  return out;
}

std::string EncodeLike(const ProfileFile& file, std::u16string_view text) {
  if (file.utf8) return Utf16ToUtf8(text);
  std::string bytes;
  for (char16_t c : text) {
    if (c > 0xFF) return Utf16ToUtf8(text);
    bytes.push_back(static_cast<char>(c));
  }
  return bytes;
}

std::string Serialize(const ProfileFile& file) {
  std::string bytes = file.byteOrderMark ? "\xEF\xBB\xBF" : "";
  for (const ProfileLine& line : file.lines) {
    bytes += line.raw;
    bytes += file.lineEnding;
  }
  return bytes;
}

bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".tmp";
  if (!WriteWholeFile(temporary, bytes)) {
    std::error_code ignored;
    std::filesystem::remove(NativePath(temporary), ignored);
    return false;
  }
  std::error_code error;
  std::filesystem::rename(NativePath(temporary), NativePath(path), error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(NativePath(temporary), ignored);
    return false;
  }
  return true;
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

}  // namespace

unsigned ParseProfileInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  unsigned base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    if (text[i + 1] == 'x') base = 16;
    else if (text[i + 1] == 'o') base = 8;
    else if (text[i + 1] == 'b') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    unsigned digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'z') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'Z') digit = static_cast<unsigned>(c - 'A' + 10);
    if (digit >= base) break;
    total = total * base + digit;
  }
  return negative ? 0u - total : total;
}

IniProfileStore::IniProfileStore(std::string path, std::string section)
    : path_(std::move(path)), section_(std::move(section)) {}

unsigned IniProfileStore::ReadInt(std::string_view key, int defaultValue) {
  // The profile functions read the number through a 30-character buffer.
  std::string text = ReadString(key, "", 30);
  if (text.empty()) return static_cast<unsigned>(defaultValue);
  return ParseProfileInteger(text);
}

std::string IniProfileStore::ReadString(std::string_view key, std::string_view defaultValue,
                                        size_t bufferSize) {
  if (bufferSize == 0) return {};
  // Trailing blanks of the default are dropped, all but a lone first one.
  while (defaultValue.size() > 1 && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
  ProfileFile file = LoadProfile(path_);
  std::u16string keyText = ToUtf16(key, true);
  std::u16string found = ToUtf16(defaultValue, true);
  if (std::optional<SectionRange> range = FindSection(file, Trim(ToUtf16(section_, true)))) {
    if (std::optional<size_t> entry = FindEntry(file, *range, Trim(keyText))) {
      if (file.lines[*entry].value) found = *file.lines[*entry].value;
    }
  }
  return Utf16ToUtf8(CopyEntry(found, bufferSize));
}

bool IniProfileStore::WriteString(std::string_view key, std::string_view value) {
  if (path_.empty()) return false;
  // A line break would start a line of its own: another key or section.
  if (HasLineBreakOrNul(key) || HasLineBreakOrNul(value) || key.find('=') != std::string_view::npos) {
    return false;
  }
  std::u16string keyText(Trim(ToUtf16(key, true)));
  if (keyText.empty() || keyText.front() == u'[') return false;
  std::u16string valueText = ToUtf16(value, true);
  while (!valueText.empty() && IsProfileSpace(valueText.front())) valueText.erase(0, 1);

  ProfileFile file = LoadProfile(path_);
  std::u16string sectionText(Trim(ToUtf16(section_, true)));
  std::optional<SectionRange> range = FindSection(file, sectionText);
  if (!range) {
    ProfileLine header;
    header.kind = ProfileLine::Kind::kSection;
    header.name = sectionText;
    header.raw.append("[").append(EncodeLike(file, sectionText)).append("]");
    file.lines.push_back(std::move(header));
    range = SectionRange{file.lines.size() - 1, file.lines.size()};
  }
  std::optional<size_t> entry = FindEntry(file, *range, keyText);
  if (entry && file.lines[*entry].value == valueText) return true;

  ProfileLine line;
  line.kind = ProfileLine::Kind::kEntry;
  line.name = entry ? file.lines[*entry].name : keyText;
  line.value = valueText;
  line.raw.append(EncodeLike(file, line.name)).append("=").append(EncodeLike(file, valueText));
  if (entry) {
    file.lines[*entry] = std::move(line);
  } else {
    // New keys go after the section's last non-blank line, so blank lines
    // that separate it from the next section stay where they are.
    size_t at = range->end;
    while (at > range->header + 1 && file.lines[at - 1].kind == ProfileLine::Kind::kBlank) --at;
    file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  }
  return ReplaceFile(path_, Serialize(file));
}

}  // namespace korvath
