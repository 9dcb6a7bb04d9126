#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The bytes of a binary property list, for its reader and its writer: the magic, the objects,
// the table of their offsets, then the trailer.
namespace platform::binary_plist {

inline constexpr std::string_view kMagic = "bplist00";

// An object starts with a marker byte: its type in the high nibble, in the low one a size.
enum Type : unsigned {
  kSimple = 0x0,
  kInteger = 0x1,
  kReal = 0x2,
  kDate = 0x3,
  kData = 0x4,
  kAscii = 0x5,
  kUtf16 = 0x6,
  kArray = 0xA,
  kDictionary = 0xD,
};

constexpr std::uint8_t makeMarker(Type type, unsigned size) {
  return static_cast<std::uint8_t>(type << 4 | size);
}
constexpr unsigned typeOf(std::uint8_t byte) { return byte >> 4; }
constexpr unsigned sizeOf(std::uint8_t byte) { return byte & 0x0Fu; }

inline constexpr std::uint8_t kFalse = makeMarker(kSimple, 0x8);
inline constexpr std::uint8_t kTrue = makeMarker(kSimple, 0x9);
// Numbers give their width as a power of two; a date is always eight bytes.
inline constexpr unsigned kEightBytes = 3;
inline constexpr std::uint8_t kDateMarker = makeMarker(kDate, kEightBytes);
// Data, texts and containers give their element count in the low nibble up to 14; from 15 on it
// follows as an integer object.
inline constexpr unsigned kCountFollows = 0x0F;

// The trailer, the file's last bytes: six unused, the width of an offset, the width of an object
// reference, then three eight-byte numbers: the object count, the top object's index and where
// the offset table starts.
inline constexpr std::size_t kTrailerBytes = 32;
inline constexpr std::size_t kTrailerUnusedBytes = 6;
inline constexpr std::size_t kOffsetSizeAt = kTrailerUnusedBytes;
inline constexpr std::size_t kRefSizeAt = kOffsetSizeAt + 1;
inline constexpr unsigned kTrailerNumberBytes = 8;
inline constexpr std::size_t kObjectCountAt = kRefSizeAt + 1;
inline constexpr std::size_t kTopObjectAt = kObjectCountAt + kTrailerNumberBytes;
inline constexpr std::size_t kOffsetTableAt = kTopObjectAt + kTrailerNumberBytes;
static_assert(kOffsetTableAt + kTrailerNumberBytes == kTrailerBytes);

}  // namespace platform::binary_plist
