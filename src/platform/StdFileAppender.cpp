#include "platform/StdFileAppender.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

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

std::filesystem::path ToPath(const std::string& path) {
#if defined(_WIN32)
  return std::filesystem::path(Widen(path));
#else
  return std::filesystem::path(path);
#endif
}

}  // namespace

bool StdFileAppender::Append(const std::string& path, std::string_view bytes) {
  std::FILE* file = OpenForAppend(path);
  if (file == nullptr) return false;
  // Append mode writes at the end whatever the position. The size comes from
  // the file system in 64 bits: ftell's long is 32 bits in the 32-bit build,
  // and a log past 2 GiB would then refuse every write.
  std::error_code sizeError;
  std::uintmax_t before = std::filesystem::file_size(ToPath(path), sizeError);
  bool ok = !sizeError;
  ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok && !sizeError) {
    // A disk that filled up in the middle of the block may have taken part of
    // it. The caller keeps the whole block and writes it again later, so the
    // part is cut off here rather than written twice.
    std::error_code ignored;
    std::filesystem::resize_file(ToPath(path), before, ignored);
  }
  return ok;
}

}  // namespace korvath
