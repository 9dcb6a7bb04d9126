#pragma once

#include <cstddef>
#include <string_view>

namespace platform::protocol {

// The character whose UTF-8 sequence starts at `at` in `text`, and the sequence's length; a
// length of 0 where none starts: a lone continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF or cut short. `at` must lie inside `text`.
struct Utf8Character {
  char32_t point = 0;
  std::size_t length = 0;
};
Utf8Character utf8CharacterAt(std::string_view text, std::size_t at);

}  // namespace platform::protocol
