#include "hw/TimeCriticalPriority.h"

#include <windows.h>

namespace korvath {

bool RaiseThreadToTimeCritical() {
  return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) != 0;
}

}  // namespace korvath
