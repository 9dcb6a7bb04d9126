#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace platform {

// The property-list library holds a date as whole seconds and microseconds, which cannot carry
// every date a binary file holds: another writer's sub-microsecond digits would change with the
// next write of an unrelated key. Dates therefore cross the library as placeholders: the date
// with index i in this table crosses as the whole second i, and its exact value is put back on
// the other side.
class DatePlaceholders {
 public:
  // The placeholder second for `exact`, adding it to the table when new.
  std::int32_t placeholderFor(double exact);
  // The exact date a placeholder stands for; absent when it stands for none.
  std::optional<double> exactFor(std::int32_t seconds, std::int32_t microseconds) const;

  // Swaps the date whose 8-byte value starts at `payload` for its placeholder.
  void replaceWithPlaceholder(std::vector<std::uint8_t>& binary, std::uint64_t payload);
  // Puts the exact values back into every date object of binary property-list bytes that the
  // library wrote; false when one of them holds no placeholder of this table.
  bool restoreExactDates(std::vector<std::uint8_t>& binary) const;

 private:
  std::vector<double> exact_;
  std::map<double, std::int32_t> index_;
};

}  // namespace platform
