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
    if (const auto* written = std::get_if<std::vector<std::uint8_t>>(&encoded)) {
      // What was written reads back and writes again byte for byte (a NaN among the reals is
      // never equal to itself, its bytes are).
      const auto again = platform::decodePlist(*written);
      const auto* reread = std::get_if<platform::PlistValue>(&again);
      if (reread == nullptr) __builtin_trap();
      const auto rewritten = platform::encodeBinaryPlist(*reread);
      const auto* bytesAgain = std::get_if<std::vector<std::uint8_t>>(&rewritten);
      if (bytesAgain == nullptr || *bytesAgain != *written) __builtin_trap();
    }
  }
  return 0;
}
