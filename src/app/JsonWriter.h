// A small writer of one-line JSON objects for the simulation tool's output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvath {

// The text as a JSON string literal; invalid UTF-8 becomes U+FFFD.
std::string JsonQuote(std::string_view utf8);

// Members in the order they are added; keys are not checked for duplicates.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view value);
  JsonObject& Add(std::string_view key, const char* value) { return Add(key, std::string_view(value)); }
  JsonObject& Add(std::string_view key, int64_t value);
  JsonObject& Add(std::string_view key, int value) { return Add(key, static_cast<int64_t>(value)); }
  JsonObject& Add(std::string_view key, uint64_t value);
  JsonObject& Add(std::string_view key, uint32_t value) { return Add(key, static_cast<uint64_t>(value)); }
  JsonObject& Add(std::string_view key, bool value);
  JsonObject& Add(std::string_view key, const std::vector<int64_t>& values);
  JsonObject& Add(std::string_view key, const std::vector<std::string>& values);
  JsonObject& Add(std::string_view key, const JsonObject& value);
  JsonObject& Add(std::string_view key, const std::vector<JsonObject>& values);
  JsonObject& AddNull(std::string_view key);

  bool empty() const { return body_.empty(); }
  std::string ToString() const { return "{" + body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_;
};

}  // namespace korvath
