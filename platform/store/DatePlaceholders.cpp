#include "store/DatePlaceholders.h"

#include <bit>
#include <cmath>
#include <cstddef>

namespace platform {
namespace {

constexpr std::uint8_t kDateMarker = 0x33;
constexpr std::size_t kTrailerBytes = 32;

std::uint64_t readBigEndian(const std::vector<std::uint8_t>& bytes, std::uint64_t at,
                            unsigned width) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < width; ++i) value = (value << 8) | bytes[at + i];
  return value;
}

double readDate(const std::vector<std::uint8_t>& bytes, std::uint64_t payload) {
  return std::bit_cast<double>(readBigEndian(bytes, payload, 8));
}

void writeDate(std::vector<std::uint8_t>& bytes, std::uint64_t payload, double value) {
  const auto raw = std::bit_cast<std::uint64_t>(value);
  for (unsigned i = 0; i < 8; ++i)
    bytes[payload + i] = static_cast<std::uint8_t>(raw >> (56 - 8 * i));
}

}  // namespace

std::int32_t DatePlaceholders::placeholderFor(double exact) {
  const auto [entry, added] = index_.try_emplace(exact, static_cast<std::int32_t>(exact_.size()));
  if (added) exact_.push_back(exact);
  return entry->second;
}

std::optional<double> DatePlaceholders::exactFor(std::int32_t seconds,
                                                 std::int32_t microseconds) const {
  if (microseconds != 0 || seconds < 0 || static_cast<std::size_t>(seconds) >= exact_.size())
    return std::nullopt;
  return exact_[static_cast<std::size_t>(seconds)];
}

void DatePlaceholders::replaceWithPlaceholder(std::vector<std::uint8_t>& binary,
                                              std::uint64_t payload) {
  writeDate(binary, payload, placeholderFor(readDate(binary, payload)));
}

bool DatePlaceholders::restoreExactDates(std::vector<std::uint8_t>& binary) const {
  if (binary.size() < kTrailerBytes) return false;
  const std::uint64_t trailer = binary.size() - kTrailerBytes;
  const unsigned offsetSize = binary[trailer + 6];
  const std::uint64_t objects = readBigEndian(binary, trailer + 8, 8);
  const std::uint64_t table = readBigEndian(binary, trailer + 24, 8);
  if (offsetSize < 1 || offsetSize > 8 || table > trailer ||
      objects > (trailer - table) / offsetSize)
    return false;
  for (std::uint64_t i = 0; i < objects; ++i) {
    const std::uint64_t at = readBigEndian(binary, table + i * offsetSize, offsetSize);
    if (at >= table || binary[at] != kDateMarker) continue;
    if (table - at < 9) return false;
    const double placeholder = readDate(binary, at + 1);
    if (!(placeholder >= 0 && placeholder < static_cast<double>(exact_.size())) ||
        placeholder != std::trunc(placeholder))
      return false;
    writeDate(binary, at + 1, exact_[static_cast<std::size_t>(placeholder)]);
  }
  return true;
}

}  // namespace platform
