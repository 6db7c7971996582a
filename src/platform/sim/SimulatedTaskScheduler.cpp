#include "platform/sim/SimulatedTaskScheduler.h"

namespace korvath {
namespace {

std::string UnescapeXml(const std::string& text) {
  static const std::pair<const char*, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string plain;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      std::string name(entity);
      if (text.compare(i, name.size(), name) == 0) {
        plain += c;
        i += name.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) plain += text[i++];
  }
  return plain;
}

}  // namespace

std::string CommandOfTaskXml(const std::string& xml) {
  size_t start = xml.find("<Command>");
  if (start == std::string::npos) return {};
  start += 9;
  size_t end = xml.find("</Command>", start);
  if (end == std::string::npos) return {};
  return UnescapeXml(xml.substr(start, end - start));
}

SchedulerResult SimulatedTaskScheduler::FindTask(const std::string& path, bool& found, std::string& command) {
  calls.push_back("find " + path);
  found = false;
  command.clear();
  if (!failure.Succeeded()) return failure;
  auto task = tasks.find(path);
  if (task == tasks.end()) return {};
  found = true;
  command = CommandOfTaskXml(task->second);
  return {};
}

SchedulerResult SimulatedTaskScheduler::RegisterTask(const std::string& path, const std::string& xml) {
  calls.push_back("register " + path);
  if (!failure.Succeeded()) return failure;
  tasks[path] = xml;
  return {};
}

SchedulerResult SimulatedTaskScheduler::DeleteTask(const std::string& path) {
  calls.push_back("delete " + path);
  if (!failure.Succeeded()) return failure;
  tasks.erase(path);
  return {};
}

}  // namespace korvath
