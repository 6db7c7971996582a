// The top non-turbo multiplier, read once at start-up; the clock display
// divides the time-stamp counter's frequency by it to get the bus speed.
#pragma once

namespace korvath {

class MsrAccess;

// Sets and returns cpu().maxMultiplier: 0xCE on Core i7, the high half of
// 0x198 with its half step elsewhere; never below 1.0. Reads on whatever
// processor the caller runs on.
double DetermineMaxMultiplier(MsrAccess& access);

}  // namespace korvath
