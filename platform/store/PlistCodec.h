#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/PlistValue.h"

namespace platform {

inline constexpr std::size_t kMaxPlistFileBytes = 1024 * 1024;
inline constexpr int kMaxPlistNesting = 32;
// The size of a value with every shared reference of a binary file expanded: each value counts
// 8 bytes, or the bytes of its text or data when more. Both directions hold to it, so the store
// never writes what it cannot read back, and a small file that references one object many times
// is refused before the library spends time and memory expanding it.
inline constexpr std::uint64_t kMaxPlistExpandedBytes = 1024 * 1024;

struct PlistDecodeError {
  std::string reason;
};

// Parses binary or XML property-list bytes. Size, expanded size and nesting are checked before
// the bytes reach the library, which crashes on very deep input. Dates come back exactly as the
// file holds them.
std::variant<PlistValue, PlistDecodeError> decodePlist(const std::vector<std::uint8_t>& bytes);

// Serialises to binary. Fails (with a reason) for values the format cannot carry faithfully
// (strings that are not valid UTF-8, dates outside the 32-bit seconds range) and for values
// larger than the decoder takes.
std::variant<std::vector<std::uint8_t>, std::string> encodeBinaryPlist(const PlistValue& value);

}  // namespace platform
