// The top non-turbo multiplier, read once at start-up; the clock display
// divides the time-stamp counter's frequency by it to get the bus speed.
#pragma once

namespace korvath {

class MsrAccess;

// Sets and returns cpu().maxMultiplier: 0xCE bits 15-8 on Core i7 and newer
// processors (which also give their lowest multiplier, bits 47-40, in
// cpu().minMultiplier), the high half of 0x198 with its half step elsewhere,
// never below 1.0 there. 0 when the register could not be read, or on a
// newer processor that reports a ratio of 0. Reads on whatever processor the
// caller runs on.
double DetermineMaxMultiplier(MsrAccess& access);

// The nominal multiplier scaled by the measured clock ratio, to the nearest
// half step.
double NearestHalfMultiplier(double ratio, double nominal);

}  // namespace korvath
