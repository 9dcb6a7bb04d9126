#include "protocol/Utf8.h"

namespace platform::protocol {

Utf8Character utf8CharacterAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return {lead, 1};
  const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
  if (length == 0 || lead > 0xf4 || text.size() - at < length) return {};
  char32_t point = lead & (0x3f >> (length - 1));
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xc0) != 0x80) return {};
    point = point << 6 | (next & 0x3f);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < kLeast[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff)) return {};
  return {point, length};
}

}  // namespace platform::protocol
