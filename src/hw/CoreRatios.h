// Per-processor load and the ratio of actual to nominal clock, from the
// fixed counters 0x30A (unhalted core cycles) and 0x30B (unhalted reference
// cycles) against the time-stamp counter.
#pragma once

namespace korvath {

class MsrAccess;

// Start-up: counts the processors, switches the counters on, clears the
// loads and takes the first readings that the next measurement starts from.
void TakeCounterBaselines(MsrAccess& access);

// The average core/reference ratio over all processors since the previous
// call (1.0 outside 0.2..2.5, on newer processors only where the multiplier
// would not fit a ratio field); updates the loads and the last readings. The
// clock display and the benchmark share the readings, so each call measures
// from whichever call came before.
double MeasureCoreRatios(MsrAccess& access);

}  // namespace korvath
