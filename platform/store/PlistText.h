#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The code point of the UTF-8 sequence at `at`, advancing past it; absent when the bytes there
// are not well-formed UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
std::optional<char32_t> nextUtf8CodePoint(std::string_view text, std::size_t& at);

bool isValidUtf8(std::string_view text);

void appendUtf8(std::string& text, char32_t codePoint);

}  // namespace platform
