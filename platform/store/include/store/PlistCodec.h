#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
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
// is refused before it is expanded.
inline constexpr std::uint64_t kMaxPlistExpandedBytes = 1024 * 1024;

struct PlistDecodeError {
  std::string reason;
};

// Dates the store reads and writes: whole seconds within 32 bits of 2001 (1932-12-13 to
// 2069-01-19), which is what other readers of these files hold.
bool isPlistDateInRange(double secondsSince2001);

// Parses binary or XML property-list bytes. What the store could not write back the same way
// (too large, too deep, texts that are not Unicode, dates out of range) counts as unreadable.
// Dates come back exactly as the file holds them.
std::variant<PlistValue, PlistDecodeError> decodePlist(const std::vector<std::uint8_t>& bytes);

// Serialises to binary; the same value always gives the same bytes. Fails (with a reason) for
// values the format cannot carry faithfully (strings that are not valid UTF-8 or hold a NUL,
// dates out of range) and for values larger than the decoder takes.
std::variant<std::vector<std::uint8_t>, std::string> encodeBinaryPlist(const PlistValue& value);

// Encodes one value after another as encodeBinaryPlist does, keeping its memory from one to the
// next: a store that saves a large domain again and again would otherwise take fresh pages from
// the system, and fault them in, on every save. The bytes stay valid until the next encode.
class BinaryPlistEncoder {
 public:
  BinaryPlistEncoder();
  ~BinaryPlistEncoder();
  BinaryPlistEncoder(BinaryPlistEncoder&&) noexcept;
  BinaryPlistEncoder& operator=(BinaryPlistEncoder&&) noexcept;

  std::variant<std::span<const std::uint8_t>, std::string> encode(const PlistValue& value);

 private:
  class Writer;
  std::unique_ptr<Writer> writer_;
};

// Why `encodeBinaryPlist` would refuse `value` for what it holds, found without encoding it; the
// encoded size is known only once the whole domain is encoded.
std::optional<std::string> whyPlistCannotBeStored(const PlistValue& value);

}  // namespace platform
