#include "platform/StdFileAppender.h"

#include <sys/stat.h>

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

// The open file's size in 64 bits: ftell's long is 32 bits in the 32-bit
// build, and a log past 2 GiB would then refuse every write.
bool FileSize(std::FILE* file, std::uintmax_t& size) {
#if defined(_WIN32)
  struct _stat64 info;
  if (_fstat64(_fileno(file), &info) != 0) return false;
#else
  struct stat info;
  if (::fstat(fileno(file), &info) != 0) return false;
#endif
  size = static_cast<std::uintmax_t>(info.st_size);
  return true;
}

}  // namespace

bool StdFileAppender::Append(const std::string& path, std::string_view bytes) {
  std::FILE* file = OpenForAppend(path);
  if (file == nullptr) return false;
  // Append mode writes at the end whatever the position.
  std::uintmax_t before = 0;
  const bool sized = FileSize(file, before);
  bool ok = sized;
  ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok && sized) {
    // A disk that filled up in the middle of the block may have taken part of
    // it. The caller keeps the whole block and writes it again later, so the
    // part is cut off here rather than written twice.
    CutBackTo(path, before);
  }
  return ok;
}

}  // namespace korvath
