#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/PlistValue.h"

namespace platform {

// What one value counts toward kMaxPlistExpandedBytes: texts and data count their bytes (texts
// as UTF-8), and nothing counts less than this.
inline constexpr std::uint64_t kCountedValueBytes = 8;

inline std::uint64_t countedBytes(std::uint64_t length) {
  return std::max(length, kCountedValueBytes);
}

// A value counted in one walk: its size as kMaxPlistExpandedBytes counts it, and what a writer
// needs room for.
struct PlistCensus {
  std::uint64_t expandedBytes = 0;
  std::size_t values = 0;      // every value, dictionary keys included
  std::size_t leaves = 0;      // texts, data, numbers and dates: what the leaf table holds
  std::size_t references = 0;  // one per array element, two per dictionary entry
};

PlistCensus censusOf(const PlistValue& value);

// The size of `value` as kMaxPlistExpandedBytes counts it.
inline std::uint64_t expandedBytes(const PlistValue& value) {
  return censusOf(value).expandedBytes;
}

}  // namespace platform
