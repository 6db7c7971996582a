// One Korvath per user session: two would pin the same threads, write the
// same registers, append to the same log and overwrite each other's
// settings. The names of the objects that tell a second start about the
// first, by program ("Korvath", "Korvath-sim"), and what a second start does.
#pragma once

#include <string>

namespace korvath {

inline constexpr const char* kOtherSessionText = "Korvath is already running in another session";

// Held by the running instance in the session's namespace, and in the
// machine's, where a Korvath of another session shows.
std::string SessionMutexName(const std::string& program);
std::string MachineMutexName(const std::string& program);
// The registered message that asks the running instance's window to show.
std::string RestoreMessageName(const std::string& program);

enum class InstanceVerdict {
  kFirst,                  // go on starting
  kRunningInThisSession,   // show the first one's window, exit 0
  kRunningInOtherSession,  // say so, exit
};

// sessionHeld: the session's object already existed; machineHeld: the
// machine's did (or could not be opened, which another user's does).
InstanceVerdict DecideInstance(bool sessionHeld, bool machineHeld);

}  // namespace korvath
