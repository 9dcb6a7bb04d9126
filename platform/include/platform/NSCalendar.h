#pragma once

#include <optional>

#include "platform/PlistValue.h"

namespace platform {

// Calendar days in the user's time zone, or in a fixed offset from UTC when one is given.
class NSCalendar {
 public:
  explicit NSCalendar(std::optional<long> utcOffsetSeconds = std::nullopt)
      : utcOffsetSeconds_(utcOffsetSeconds) {}
  bool isDateInSameDayAsDate(const PlistDate& date, const PlistDate& other) const;

 private:
  std::optional<long> utcOffsetSeconds_;
};

}  // namespace platform
