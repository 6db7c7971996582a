// A file in its own fresh folder under the temporary directory, removed with
// the folder at the end of the test.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace korvath::testing {

class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name = "settings.ini") {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = std::filesystem::temp_directory_path() /
              ("korvath-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    path_ = folder_ / name;
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // The path as UTF-8 text, the form the stores take.
  std::string path() const { return path_.string(); }
  std::filesystem::path folder() const { return folder_; }

  void Write(const std::string& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists() const { return std::filesystem::exists(path_); }

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

}  // namespace korvath::testing
