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
    std::error_code ignored;
    std::filesystem::resize_file(ToPath(path), static_cast<std::uintmax_t>(before), ignored);
  }
  return ok;
}

}  // namespace korvath
