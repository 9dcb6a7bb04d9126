#include "platform/NSCalendar.h"

#include <cmath>
#include <ctime>

namespace platform {

namespace {

struct Day {
  int year, yearDay;
  bool operator==(const Day&) const = default;
};

Day dayOf(const PlistDate& date, const std::optional<long>& utcOffsetSeconds) {
  const double unixSeconds = date.secondsSince2001 + kPlistEpochUnixSeconds;
  std::tm parts{};
  if (utcOffsetSeconds) {
    const auto shifted = static_cast<std::time_t>(std::floor(unixSeconds)) + *utcOffsetSeconds;
    gmtime_r(&shifted, &parts);
  } else {
    const auto moment = static_cast<std::time_t>(std::floor(unixSeconds));
    localtime_r(&moment, &parts);
  }
  return {parts.tm_year, parts.tm_yday};
}

}  // namespace

bool NSCalendar::isDateInSameDayAsDate(const PlistDate& date, const PlistDate& other) const {
  return dayOf(date, utcOffsetSeconds_) == dayOf(other, utcOffsetSeconds_);
}

}  // namespace platform
