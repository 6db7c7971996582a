// The History window's export: the shown span as CSV, a head line of
// "Time" and the shown series' names, then one line per step that holds a
// reading, oldest first. A gap is an empty field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/HistoryChart.h"

namespace korvath {

// The chart must have been prepared for the span to write.
std::string HistoryCsvText(const HistoryChart& chart, const HistoryStore& store, const std::vector<bool>& shown,
                           int64_t localOffset);

}  // namespace korvath
