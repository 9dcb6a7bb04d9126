// Store files come from any program that writes the user's folder: whatever they hold, decoding
// ends with a value or a reason, and a decoded value is one the store can write back or refuse.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/PlistCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const auto decoded = platform::decodePlist(bytes);
  if (const auto* value = std::get_if<platform::PlistValue>(&decoded)) {
    const auto encoded = platform::encodeBinaryPlist(*value);
    // What was written reads back.
    if (const auto* written = std::get_if<std::vector<std::uint8_t>>(&encoded)) {
      if (!std::holds_alternative<platform::PlistValue>(platform::decodePlist(*written))) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
