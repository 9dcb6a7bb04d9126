#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/PlistValue.h"
#include "store/ExpandedSize.h"

namespace platform {

// Serialises to a binary property list. The same value always gives the same bytes: objects
// come in depth-first order, and equal texts, numbers, dates and data are written once. Fails
// (with a reason) for texts the format cannot carry, dates outside the store's range and
// nesting deeper than the store reads. `census` is `value`'s, within kMaxPlistExpandedBytes.
std::variant<std::vector<std::uint8_t>, std::string> writeBinaryPlist(const PlistValue& value,
                                                                      const PlistCensus& census);

// Why `writeBinaryPlist` would fail for `value`, without encoding it.
std::optional<std::string> whyBinaryPlistCannotHold(const PlistValue& value);

}  // namespace platform
