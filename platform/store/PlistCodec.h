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

struct PlistDecodeError {
  std::string reason;
};

// Parses binary or XML property-list bytes. Size and nesting are checked before the bytes
// reach the library, which crashes on very deep input.
std::variant<PlistValue, PlistDecodeError> decodePlist(const std::vector<std::uint8_t>& bytes);

// Serialises to binary. Fails (with a reason) for values the format cannot carry faithfully:
// strings that are not valid UTF-8, dates outside the 32-bit seconds range.
std::variant<std::vector<std::uint8_t>, std::string> encodeBinaryPlist(const PlistValue& value);

}  // namespace platform
