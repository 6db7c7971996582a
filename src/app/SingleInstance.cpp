#include "app/SingleInstance.h"

namespace korvath {

std::string SessionMutexName(const std::string& program) { return "Local\\" + program + ".Instance"; }

// Two names, never one: in session 0 "Local\\" and "Global\\" are the same
// namespace, and one object would be found held by its own holder.
std::string MachineMutexName(const std::string& program) { return "Global\\" + program + ".MachineInstance"; }

std::string RestoreMessageName(const std::string& program) { return program + ".Restore"; }

// The session's object is taken first: a start that finds it knows its
// sibling is here, whatever the machine's object says.
InstanceVerdict DecideInstance(bool sessionHeld, bool machineHeld) {
  if (sessionHeld) return InstanceVerdict::kRunningInThisSession;
  if (machineHeld) return InstanceVerdict::kRunningInOtherSession;
  return InstanceVerdict::kFirst;
}

}  // namespace korvath
