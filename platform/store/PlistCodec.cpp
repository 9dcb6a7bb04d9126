#include "store/PlistCodec.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "store/BinaryPlistReader.h"
#include "store/BinaryPlistWriter.h"
#include "store/ExpandedSize.h"
#include "store/XmlPlistReader.h"

namespace platform {

bool isPlistDateInRange(double secondsSince2001) {
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  const double seconds = std::floor(secondsSince2001);
  return std::isfinite(seconds) && seconds >= kMin && seconds <= kMax;
}

std::variant<PlistValue, PlistDecodeError> decodePlist(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > kMaxPlistFileBytes) return PlistDecodeError{"larger than 1 MiB"};
  if (bytes.size() >= 6 && std::memcmp(bytes.data(), "bplist", 6) == 0)
    return readBinaryPlist(bytes.data(), bytes.size());

  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  auto decoded = readXmlPlist(text);
  // XML shares nothing, so only its own size bounds it; a file the encoder would refuse is as
  // unusable as a broken one.
  if (const auto* value = std::get_if<PlistValue>(&decoded);
      value != nullptr && expandedBytes(*value) > kMaxPlistExpandedBytes)
    return PlistDecodeError{"expands beyond 1 MiB"};
  return decoded;
}

std::optional<std::string> whyPlistCannotBeStored(const PlistValue& value) {
  if (expandedBytes(value) > kMaxPlistExpandedBytes) return std::string(kExpandsTooFar);
  return whyBinaryPlistCannotHold(value);
}

std::variant<std::vector<std::uint8_t>, std::string> encodeBinaryPlist(const PlistValue& value) {
  BinaryPlistEncoder encoder;
  auto encoded = encoder.encode(value);
  if (auto* error = std::get_if<std::string>(&encoded)) return std::move(*error);
  const auto bytes = std::get<std::span<const std::uint8_t>>(encoded);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace platform
