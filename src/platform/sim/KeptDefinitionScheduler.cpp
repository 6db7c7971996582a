#include "platform/sim/KeptDefinitionScheduler.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/sim/SimulatedTaskScheduler.h"

namespace korvath {

SchedulerResult KeptDefinitionScheduler::FindTask(const std::string& path, bool& found, std::string& command) {
  SchedulerResult result = scheduler_.FindTask(path, found, command);
  if (!result.Succeeded() || !found || !command.empty()) return result;
  std::ifstream kept(keptFile_, std::ios::binary);
  std::string keptPath;
  if (!std::getline(kept, keptPath) || keptPath != path) return result;
  std::ostringstream xml;
  xml << kept.rdbuf();
  command = CommandOfTaskXml(xml.str());
  return result;
}

SchedulerResult KeptDefinitionScheduler::RegisterTask(const std::string& path, const std::string& xml) {
  SchedulerResult result = scheduler_.RegisterTask(path, xml);
  if (result.Succeeded()) {
    std::ofstream kept(keptFile_, std::ios::binary | std::ios::trunc);
    kept << path << '\n' << xml;
  }
  return result;
}

SchedulerResult KeptDefinitionScheduler::DeleteTask(const std::string& path) {
  SchedulerResult result = scheduler_.DeleteTask(path);
  if (result.Succeeded()) std::remove(keptFile_.c_str());
  return result;
}

}  // namespace korvath
