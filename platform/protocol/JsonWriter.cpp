#include "protocol/JsonWriter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

namespace platform::protocol {

namespace {

void appendNumber(std::string& out, auto value) {
  std::array<char, 32> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  out.append(digits.data(), end);
}

void appendEscape(std::string& out, unsigned char byte) {
  static constexpr std::pair<char, char> kShortForms[] = {
      {'"', '"'}, {'\\', '\\'}, {'\b', 'b'}, {'\f', 'f'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};
  out += '\\';
  for (const auto& [escaped, form] : kShortForms) {
    if (byte == static_cast<unsigned char>(escaped)) {
      out += form;
      return;
    }
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += "u00";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xf];
}

// The shortest digits that read back the same, in fixed notation or in exponent notation where
// that is shorter (fixed on a tie). Where fixed notation runs past the digits, zeros follow
// them, as Qt writes it: the C++ library writes the value's exact digits there instead.
void appendShortest(std::string& out, double value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
  if (std::string_view(text.data(), end).find_first_of(".e") != std::string_view::npos) {
    out.append(text.data(), end);
    return;
  }
  // A whole number: its scientific form, "-d.ddde+XX", gives the digits and where the point goes.
  const auto scientific =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific)
          .ptr;
  const std::string_view form(text.data(), scientific);
  const std::size_t e = form.find('e');
  int exponent = 0;
  std::from_chars(form.data() + e + 2, form.data() + form.size(), exponent);
  std::size_t written = 0;
  for (const char c : form.substr(0, e)) {
    if (c == '.') continue;
    out += c;
    if (c != '-') ++written;
  }
  out.append(static_cast<std::size_t>(exponent) + 1 - written, '0');
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    out.append(text.substr(plain, i - plain));
    appendEscape(out, byte);
    plain = i + 1;
  }
  out.append(text.substr(plain));
  out += '"';
}

void JsonWriter::key(std::string_view name) {
  separate();
  out_ += '"';
  out_ += name;
  out_ += "\":";
  first_ = true;
}

void JsonWriter::boolean(bool value) {
  separate();
  out_ += value ? "true" : "false";
}

void JsonWriter::integer(std::int64_t value) {
  separate();
  appendNumber(out_, value);
}

void JsonWriter::number(double value) {
  separate();
  if (value == std::trunc(value) && std::abs(value) <= 0x1p53) {
    appendNumber(out_, static_cast<std::int64_t>(value));
  } else if (std::isfinite(value)) {
    appendShortest(out_, value);
  } else {
    out_ += "null";
  }
}

void JsonWriter::string(std::string_view text) {
  separate();
  appendJsonString(out_, text);
}

void JsonWriter::open(char bracket) {
  separate();
  out_ += bracket;
  first_ = true;
}

void JsonWriter::close(char bracket) {
  out_ += bracket;
  first_ = false;
}

void JsonWriter::separate() {
  if (!first_) out_ += ',';
  first_ = false;
}

}  // namespace platform::protocol
