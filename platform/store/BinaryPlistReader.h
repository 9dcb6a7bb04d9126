#pragma once

#include <cstddef>
#include <cstdint>
#include <variant>

#include "store/PlistCodec.h"

namespace platform {

// Decodes a binary property list ("bplist00"). The object graph is checked in full (references,
// cycles, nesting, expanded size, value ranges) before any value is built, so a small file that
// references one object many times is refused without being expanded.
std::variant<PlistValue, PlistDecodeError> readBinaryPlist(const std::uint8_t* data,
                                                           std::size_t size);

}  // namespace platform
