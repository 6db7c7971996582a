#include "history/HistoryTime.h"

#include "history/HistoryStore.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  int64_t era = FloorDiv(year, 400);
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int64_t LocalOffsetSeconds(const std::tm& local, int64_t unixTime) {
  int64_t days = DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  int64_t localSeconds = days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return localSeconds - unixTime;
}

CivilTime CivilFromSeconds(int64_t localSeconds) {
  int64_t days = FloorDiv(localSeconds, 86400);
  int64_t secondOfDay = localSeconds - days * 86400;
  days += 719468;
  int64_t era = FloorDiv(days, 146097);
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  CivilTime civil;
  civil.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  civil.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2));
  civil.hour = static_cast<int>(secondOfDay / 3600);
  civil.minute = static_cast<int>(secondOfDay / 60 % 60);
  civil.second = static_cast<int>(secondOfDay % 60);
  return civil;
}

std::string ClockText(int64_t unixTime, int64_t offset, bool withSeconds) {
  CivilTime civil = CivilFromSeconds(unixTime + offset);
  if (withSeconds) return Format("%02d:%02d:%02d", civil.hour, civil.minute, civil.second);
  return Format("%02d:%02d", civil.hour, civil.minute);
}

std::string StampText(int64_t unixTime, int64_t offset) {
  CivilTime civil = CivilFromSeconds(unixTime + offset);
  return Format("%04d-%02d-%02d %02d:%02d:%02d", civil.year, civil.month, civil.day, civil.hour, civil.minute,
                civil.second);
}

}  // namespace korvath
