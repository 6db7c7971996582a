#include "platform/StdFileAppender.h"

#include <cstdint>
#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/TextFormat.h"

namespace korvath {
namespace {

std::FILE* OpenForAppend(const std::string& path) {
#if defined(_WIN32)
  return _wfopen(Widen(path).c_str(), L"ab");
#else
  return std::fopen(path.c_str(), "ab");
#endif
}

// The C runtime's own calls rather than std::filesystem, whose paths bring
// the C++ locale machinery into the executable.
void CutBackTo(const std::string& path, std::uintmax_t size) {
#if defined(_WIN32)
  if (std::FILE* file = _wfopen(Widen(path).c_str(), L"r+b")) {
    _chsize_s(_fileno(file), static_cast<long long>(size));
    std::fclose(file);
  }
#else
  [[maybe_unused]] int ignored = ::truncate(path.c_str(), static_cast<off_t>(size));
#endif
}

}  // namespace

bool StdFileAppender::Append(const std::string& path, std::string_view bytes) {
  std::FILE* file = OpenForAppend(path);
  if (file == nullptr) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  long before = ok ? std::ftell(file) : -1;
  ok = ok && before >= 0;
  ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok && before >= 0) {
    // A disk that filled up in the middle of the block may have taken part of
    // it. The caller keeps the whole block and writes it again later, so the
    // part is cut off here rather than written twice.
    CutBackTo(path, static_cast<std::uintmax_t>(before));
  }
  return ok;
}

}  // namespace korvath
