#include "platform/sim/SimulatedClock.h"

namespace korvath {
namespace {

// Howard Hinnant's days_from_civil / civil_from_days.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

int64_t CivilToSeconds(const std::tm& time) {
  int64_t year = time.tm_year + 1900;
  int64_t month = time.tm_mon;  // may be out of range; normalise
  year += month / 12;
  month %= 12;
  if (month < 0) {
    month += 12;
    --year;
  }
  int64_t days = DaysFromCivil(year, static_cast<unsigned>(month + 1), 1) + time.tm_mday - 1;
  return days * 86400 + time.tm_hour * 3600 + time.tm_min * 60 + time.tm_sec;
}

std::tm SecondsToCivil(int64_t seconds) {
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2);

  std::tm time{};
  time.tm_year = static_cast<int>(year - 1900);
  time.tm_mon = static_cast<int>(month - 1);
  time.tm_mday = static_cast<int>(day);
  time.tm_hour = static_cast<int>(rest / 3600);
  time.tm_min = static_cast<int>(rest / 60 % 60);
  time.tm_sec = static_cast<int>(rest % 60);
  time.tm_wday = static_cast<int>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
  time.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
  time.tm_isdst = 0;
  return time;
}

SimulatedClock::SimulatedClock(const std::tm& start) : startSecondsOfEpoch_(CivilToSeconds(start)) {}

std::tm SimulatedClock::DefaultStart() {
  std::tm start{};
  start.tm_year = 2026 - 1900;
  start.tm_mon = 11;
  start.tm_mday = 7;
  start.tm_hour = 12;
  return start;
}

std::tm SimulatedClock::LocalNow() {
  return SecondsToCivil(startSecondsOfEpoch_ + nowMicroseconds_ / 1'000'000);
}

uint32_t SimulatedClock::TickCount() {
  return static_cast<uint32_t>(static_cast<uint64_t>(nowMicroseconds_ / 1000));
}

int64_t SimulatedClock::PerformanceCounter() {
  int64_t ticks = nowMicroseconds_ * (kPerformanceFrequency / 1'000'000) + performanceCounterSkew_;
  if (nowMicroseconds_ >= skewWindowFrom_ && nowMicroseconds_ < skewWindowTo_) ticks += skewWindowTicks_;
  return ticks;
}

}  // namespace korvath
