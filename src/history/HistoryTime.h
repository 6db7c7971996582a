// Local time for the history's axis, read-out and export: the offset of the
// local clock from UTC, taken once per drawing, and the calendar fields of a
// local second, without the C runtime's time zone state.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace korvath {

// Seconds that local time is ahead of UTC, from a local calendar time and
// the same moment in seconds since 1970.
int64_t LocalOffsetSeconds(const std::tm& local, int64_t unixTime);

struct CivilTime {
  int year = 1970;
  int month = 1;  // 1-12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

CivilTime CivilFromSeconds(int64_t localSeconds);

// "14:05" and "14:05:09" of a UTC second in local time.
std::string ClockText(int64_t unixTime, int64_t offset, bool withSeconds);
// "2026-12-08 14:05:09".
std::string StampText(int64_t unixTime, int64_t offset);

}  // namespace korvath
