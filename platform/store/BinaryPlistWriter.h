#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"

namespace platform {

// The reader's bound, named: a write the store could not read back is refused, and the person
// told why.
inline constexpr std::string_view kExpandsTooFar =
    "it would expand beyond 1 MiB, the most a settings file may hold";

// Why `BinaryPlistEncoder::encode` would fail for `value`, without encoding it.
std::optional<std::string> whyBinaryPlistCannotHold(const PlistValue& value);

}  // namespace platform
