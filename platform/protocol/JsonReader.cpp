#include "protocol/JsonReader.h"

#include <charconv>
#include <limits>

#include "protocol/Utf8.h"

namespace platform::protocol {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(std::string& text, std::uint32_t point) {
  if (point < 0x80) {
    text.push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (point >> 6)));
    text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | (point >> 12)));
    text.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | (point >> 18)));
    text.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  }
}

// A number too large or too small for a double, read as the C library reads it: infinite when
// its first significant digit stands left of the decimal point once the exponent is applied,
// else zero. Only the side matters: a double spans hundreds of powers of ten either way.
double beyondRange(std::string_view token) {
  const bool negative = token.front() == '-';
  if (negative) token.remove_prefix(1);
  const std::size_t integerEnd = token.find_first_of(".eE");
  const std::string_view integer = token.substr(0, integerEnd);
  long order = 0;
  if (integer != "0") {
    order = static_cast<long>(integer.size());
  } else if (integerEnd != std::string_view::npos && token[integerEnd] == '.') {
    const std::size_t first = token.find_first_not_of('0', integerEnd + 1);
    order = -static_cast<long>(first - integerEnd - 1);
  }
  if (const std::size_t e = token.find_first_of("eE"); e != std::string_view::npos) {
    std::size_t at = e + 1;
    const bool below = token[at] == '-';
    if (token[at] == '-' || token[at] == '+') ++at;
    long exponent = 0;
    for (; at < token.size() && exponent < 100000; ++at) exponent = exponent * 10 + token[at] - '0';
    order += below ? -exponent : exponent;
  }
  const double magnitude = order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return negative ? -magnitude : magnitude;
}

}  // namespace

JsonReader::JsonReader(std::string_view text, std::size_t maxNesting)
    : text_(text), maxNesting_(maxNesting) {}

bool JsonReader::fail() {
  failed_ = true;
  return false;
}

void JsonReader::skipWhitespace() {
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
    ++at_;
  }
}

JsonReader::Kind JsonReader::next() {
  if (failed_) return Kind::invalid;
  skipWhitespace();
  if (at_ == text_.size()) return Kind::invalid;
  switch (text_[at_]) {
    case '{':
      return Kind::object;
    case '[':
      return Kind::array;
    case '"':
      return Kind::string;
    case 't':
    case 'f':
      return Kind::boolean;
    case 'n':
      return Kind::null;
    case '-':
      return Kind::number;
    default:
      return isDigit(text_[at_]) ? Kind::number : Kind::invalid;
  }
}

std::size_t JsonReader::offset() {
  skipWhitespace();
  return at_;
}

bool JsonReader::enter(char opening) {
  if (next() == Kind::invalid || text_[at_] != opening) return fail();
  if (++depth_ > maxNesting_) {
    tooDeep_ = true;
    return fail();
  }
  ++at_;
  first_ = true;
  return true;
}

bool JsonReader::enterObject() { return enter('{'); }
bool JsonReader::enterArray() { return enter('['); }

// Past the comma before the next value of what was entered last, or past its end. A value that
// must follow a comma is checked by whoever reads it: a closing bracket is none.
bool JsonReader::more(char closing) {
  if (failed_) return false;
  skipWhitespace();
  if (at_ == text_.size()) return fail();
  const bool first = first_;
  first_ = false;
  if (text_[at_] == closing) {
    ++at_;
    --depth_;
    return false;
  }
  if (first) return true;
  if (text_[at_] != ',') return fail();
  ++at_;
  return true;
}

bool JsonReader::nextMember(std::string* key) {
  if (!more('}') || !scanString(key)) return false;
  skipWhitespace();
  if (at_ == text_.size() || text_[at_] != ':') return fail();
  ++at_;
  return true;
}

bool JsonReader::member(std::string& key) { return nextMember(&key); }
bool JsonReader::element() { return more(']'); }

bool JsonReader::hexQuad(std::uint32_t& value) {
  if (text_.size() - at_ < 4) return fail();
  value = 0;
  for (int digit = 0; digit < 4; ++digit) {
    const int nibble = hexValue(text_[at_++]);
    if (nibble < 0) return fail();
    value = value << 4 | static_cast<std::uint32_t>(nibble);
  }
  return true;
}

bool JsonReader::scanString(std::string* text) {
  if (next() != Kind::string) return fail();
  ++at_;
  if (text != nullptr) text->clear();
  for (;;) {
    const std::size_t run = at_;
    while (at_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c == '"' || c == '\\' || c < 0x20) break;
      if (c < 0x80) {
        ++at_;
      } else if (const std::size_t length = utf8CharacterAt(text_, at_).length; length > 0) {
        at_ += length;
      } else {
        return fail();
      }
    }
    if (text != nullptr) text->append(text_.substr(run, at_ - run));
    if (at_ == text_.size() || static_cast<unsigned char>(text_[at_]) < 0x20) return fail();
    if (text_[at_++] == '"') return true;
    if (at_ == text_.size()) return fail();
    char plain = text_[at_++];
    switch (plain) {
      case '"':
      case '\\':
      case '/':
        break;
      case 'b':
        plain = '\b';
        break;
      case 'f':
        plain = '\f';
        break;
      case 'n':
        plain = '\n';
        break;
      case 'r':
        plain = '\r';
        break;
      case 't':
        plain = '\t';
        break;
      case 'u': {
        std::uint32_t unit = 0;
        if (!hexQuad(unit)) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
          const std::size_t lone = at_;
          at_ += 2;
          std::uint32_t low = 0;
          if (!hexQuad(low)) return false;
          if (low >= 0xDC00 && low <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          } else {
            at_ = lone;  // the escape after a lone surrogate stands on its own
          }
        }
        if (text != nullptr) appendUtf8(*text, unit);
        continue;
      }
      default:
        return fail();
    }
    if (text != nullptr) text->push_back(plain);
  }
}

bool JsonReader::string(std::string& text) { return scanString(&text); }

bool JsonReader::scanNumber(bool& integral) {
  if (next() != Kind::number) return fail();
  integral = true;
  const auto digits = [this] {
    const std::size_t start = at_;
    while (at_ < text_.size() && isDigit(text_[at_])) ++at_;
    return at_ > start;
  };
  if (text_[at_] == '-') ++at_;
  if (at_ < text_.size() && text_[at_] == '0') {
    ++at_;
  } else if (!digits()) {
    return fail();
  }
  if (at_ < text_.size() && text_[at_] == '.') {
    ++at_;
    integral = false;
    if (!digits()) return fail();
  }
  if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
    ++at_;
    integral = false;
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
    if (!digits()) return fail();
  }
  return true;
}

bool JsonReader::number(Number& value) {
  bool integral = false;
  const std::size_t start = offset();
  if (!scanNumber(integral)) return false;
  const std::string_view token = text_.substr(start, at_ - start);
  value = {};
  if (integral) {
    const auto [end, error] =
        std::from_chars(token.data(), token.data() + token.size(), value.integer);
    if (error == std::errc()) {
      value.integral = true;
      value.real = static_cast<double>(value.integer);
      return true;
    }
  }
  // Correctly rounded, as the C library reads it; a subnormal result is kept.
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value.real);
  if (error == std::errc::result_out_of_range) value.real = beyondRange(token);
  return true;
}

bool JsonReader::literal(std::string_view word) {
  if (text_.substr(at_, word.size()) != word) return false;
  at_ += word.size();
  return true;
}

bool JsonReader::boolean(bool& value) {
  if (next() != Kind::boolean) return fail();
  if (literal("true")) {
    value = true;
  } else if (literal("false")) {
    value = false;
  } else {
    return fail();
  }
  return true;
}

bool JsonReader::skip() {
  switch (next()) {
    case Kind::object:
      if (!enterObject()) return false;
      while (nextMember(nullptr)) {
        if (!skip()) return false;
      }
      return !failed_;
    case Kind::array:
      if (!enterArray()) return false;
      while (element()) {
        if (!skip()) return false;
      }
      return !failed_;
    case Kind::string:
      return scanString(nullptr);
    case Kind::number: {
      bool integral = false;
      return scanNumber(integral);
    }
    case Kind::boolean: {
      bool value = false;
      return boolean(value);
    }
    case Kind::null:
      return literal("null") || fail();
    case Kind::invalid:
      break;
  }
  return fail();
}

bool JsonReader::finished() {
  skipWhitespace();
  return !failed_ && at_ == text_.size();
}

}  // namespace platform::protocol
