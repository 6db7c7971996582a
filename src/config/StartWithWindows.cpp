#include "config/StartWithWindows.h"

#include "platform/TextFormat.h"

namespace korvath {
namespace {

std::string EscapeXml(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

// The folder of a path without its last separator, except for a drive's
// root, which needs it ("C:\").
std::string FolderOfPath(const std::string& path) {
  size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return {};
  std::string folder = path.substr(0, separator);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

std::string Unquoted(const std::string& path) {
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') return path.substr(1, path.size() - 2);
  return path;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const char* Reason(SchedulerFailure failure) {
  switch (failure) {
    case SchedulerFailure::kAccessDenied: return "access was denied";
    case SchedulerFailure::kServiceNotRunning: return "the Task Scheduler service is not running";
    case SchedulerFailure::kForbiddenByPolicy: return "a policy of this computer forbids scheduled tasks";
    default: return "the Task Scheduler refused";
  }
}

const char* Remedy(SchedulerFailure failure) {
  switch (failure) {
    case SchedulerFailure::kAccessDenied: return "Run Korvath as administrator and try again.";
    case SchedulerFailure::kServiceNotRunning:
      return "Start the Task Scheduler service (services.msc) and try again.";
    case SchedulerFailure::kForbiddenByPolicy: return "Ask the administrator of this computer to allow it.";
    default: return "Try again, or look at the task in the Task Scheduler.";
  }
}

std::string ReasonWithCode(const SchedulerResult& result) {
  if (result.failure == SchedulerFailure::kOther) {
    return Format("%s (error 0x%08X)", Reason(result.failure), result.code);
  }
  return Reason(result.failure);
}

}  // namespace

StartupTaskDefinition StartupTaskFor(const std::string& executablePath, const std::string& userId) {
  return {executablePath, FolderOfPath(executablePath), userId, kStartupDelaySeconds};
}

std::string StartupTaskXml(const StartupTaskDefinition& definition) {
  std::string user = EscapeXml(definition.userId);
  // Priority 4 is the normal priority class a program started by hand gets;
  // the scheduler's own default would start Korvath below it.
  return "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         "  <RegistrationInfo>\n"
         "    <Description>Starts Korvath at logon.</Description>\n"
         "  </RegistrationInfo>\n"
         "  <Triggers>\n"
         "    <LogonTrigger>\n"
         "      <Enabled>true</Enabled>\n"
         "      <UserId>" + user + "</UserId>\n" +
         Format("      <Delay>PT%dS</Delay>\n", definition.delaySeconds) +
         "    </LogonTrigger>\n"
         "  </Triggers>\n"
         "  <Principals>\n"
         "    <Principal id=\"Author\">\n"
         "      <UserId>" + user + "</UserId>\n"
         "      <LogonType>InteractiveToken</LogonType>\n"
         "      <RunLevel>HighestAvailable</RunLevel>\n"
         "    </Principal>\n"
         "  </Principals>\n"
         "  <Settings>\n"
         "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
         "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
         "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
         "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n"
         "    <Priority>4</Priority>\n"
         "    <Enabled>true</Enabled>\n"
         "  </Settings>\n"
         "  <Actions Context=\"Author\">\n"
         "    <Exec>\n"
         "      <Command>" + EscapeXml(definition.command) + "</Command>\n"
         "      <WorkingDirectory>" + EscapeXml(definition.workingDirectory) + "</WorkingDirectory>\n"
         "    </Exec>\n"
         "  </Actions>\n"
         "</Task>\n";
}

bool SameExecutable(const std::string& a, const std::string& b) {
  std::string left = Unquoted(a);
  std::string right = Unquoted(b);
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    char x = left[i] == '/' ? '\\' : LowerAscii(left[i]);
    char y = right[i] == '/' ? '\\' : LowerAscii(right[i]);
    if (x != y) return false;
  }
  return true;
}

std::string StartupFailureText(const SchedulerResult& result, bool turningOn) {
  return Format("Korvath could not %s: %s.\n\n%s",
                turningOn ? "add itself to the programs that start with Windows"
                          : "remove itself from the programs that start with Windows",
                ReasonWithCode(result).c_str(), Remedy(result.failure));
}

std::string StartupFailureLine(const SchedulerResult& result, bool turningOn) {
  return Format("Korvath: /startup %s failed: %s. %s", turningOn ? "on" : "off", ReasonWithCode(result).c_str(),
                Remedy(result.failure));
}

SchedulerResult ReadStartupTask(TaskScheduler& scheduler, const std::string& executablePath, bool& on) {
  bool found = false;
  std::string command;
  SchedulerResult result = scheduler.FindTask(kStartupTaskPath, found, command);
  on = result.Succeeded() && found && SameExecutable(command, executablePath);
  return result;
}

SchedulerResult SetStartupTask(TaskScheduler& scheduler, const std::string& executablePath, bool on) {
  if (!on) return scheduler.DeleteTask(kStartupTaskPath);
  return scheduler.RegisterTask(kStartupTaskPath,
                                StartupTaskXml(StartupTaskFor(executablePath, scheduler.CurrentUser())));
}

bool StartWithWindows::IsOn() {
  bool on = false;
  ReadStartupTask(scheduler_, executablePath_, on);
  return on;
}

bool StartWithWindows::Change(bool on, OwnerWindow owner) {
  SchedulerResult result = SetStartupTask(scheduler_, executablePath_, on);
  if (result.Succeeded()) return true;
  desktop_.ShowMessageBox(StartupFailureText(result, on), kStartWithWindowsText, MessageBoxIcon::kError,
                          MessageBoxButtons::kOk, owner);
  return false;
}

}  // namespace korvath
