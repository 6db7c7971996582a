// Raises the calling thread to the highest thread priority, so that the
// clock measurement wakes on time from its sleeps.
#pragma once

namespace korvath {

// THREAD_PRIORITY_TIME_CRITICAL on Windows; false when refused.
bool RaiseThreadToTimeCritical();

}  // namespace korvath
