// The store rewrites a file whenever one key changes, so a value it read must come out as the
// same bytes every time it is written again: otherwise two programs sharing the file would keep
// rewriting each other's unchanged keys. Bytes are compared, not values, since NaN is unequal
// to itself.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/PlistCodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes* encoded(const std::variant<Bytes, std::string>& result) {
  return std::get_if<Bytes>(&result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto first = platform::decodePlist(Bytes(data, data + size));
  const auto* value = std::get_if<platform::PlistValue>(&first);
  if (value == nullptr) return 0;
  const auto written = platform::encodeBinaryPlist(*value);
  const Bytes* bytes = encoded(written);
  if (bytes == nullptr) return 0;
  const auto second = platform::decodePlist(*bytes);
  const auto* again = std::get_if<platform::PlistValue>(&second);
  if (again == nullptr) __builtin_trap();
  const auto rewritten = platform::encodeBinaryPlist(*again);
  const Bytes* same = encoded(rewritten);
  if (same == nullptr || *same != *bytes) __builtin_trap();
  return 0;
}
