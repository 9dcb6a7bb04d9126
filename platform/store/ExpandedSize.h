#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/PlistValue.h"

namespace platform {

// What one value counts toward kMaxPlistExpandedBytes: texts and data count their bytes (texts
// as UTF-8), and nothing counts less than this.
inline constexpr std::uint64_t kCountedValueBytes = 8;

inline std::uint64_t countedBytes(std::uint64_t length) {
  return std::max(length, kCountedValueBytes);
}

// The size of `value` as kMaxPlistExpandedBytes counts it.
std::uint64_t expandedBytes(const PlistValue& value);

}  // namespace platform
