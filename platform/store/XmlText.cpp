#include "store/XmlText.h"

#include <array>
#include <charconv>
#include <limits>
#include <utility>

#include "store/PlistCodec.h"
#include "store/PlistText.h"

namespace platform {
namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned shiftedMonth = month > 2 ? month - 3 : month + 9;
  const unsigned dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

constexpr std::int64_t kSecondsFrom1970To2001 = 978307200;

int base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimXmlSpace(std::string_view text) {
  while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::int64_t> parseXmlInteger(std::string_view text) {
  text = trimXmlSpace(text);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
    if (ec != std::errc{} || end != text.data() + text.size() ||
        value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      return std::nullopt;
    return static_cast<std::int64_t>(value);
  }
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> parseXmlReal(std::string_view text) {
  text = trimXmlSpace(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return std::nullopt;
  const char* last = text.data() + text.size();
  double value = 0;
  std::from_chars_result result = std::from_chars(text.data(), last, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond a double's range: infinity or zero, as other readers take it.
    long double wide = 0;
    result = std::from_chars(text.data(), last, wide);
    value = static_cast<double>(wide);
  }
  if (result.ec != std::errc{} || result.ptr != last) return std::nullopt;
  return value;
}

// YYYY-MM-DDTHH:MM:SSZ is the only form writers produce.
std::optional<double> parseXmlDate(std::string_view text) {
  text = trimXmlSpace(text);
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z')
    return std::nullopt;
  const auto number = [&](std::size_t at, std::size_t length, unsigned& out) {
    const auto [end, ec] = std::from_chars(text.data() + at, text.data() + at + length, out);
    return ec == std::errc{} && end == text.data() + at + length;
  };
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) || !number(11, 2, hour) ||
      !number(14, 2, minute) || !number(17, 2, second))
    return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  static constexpr std::array<unsigned, 12> kDaysInMonth{31, 28, 31, 30, 31, 30,
                                                         31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0)) return std::nullopt;
  const std::int64_t seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
                               second - kSecondsFrom1970To2001;
  const auto value = static_cast<double>(seconds);
  if (!isPlistDateInRange(value)) return std::nullopt;
  return value;
}

std::optional<PlistData> decodeXmlBase64(std::string_view text) {
  PlistData bytes;
  std::uint32_t bits = 0;
  std::size_t digits = 0;
  std::size_t padding = 0;
  for (const char c : text) {
    if (isXmlSpace(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const int digit = base64Digit(c);
    if (digit < 0 || padding > 0) return std::nullopt;
    bits = (bits << 6) | static_cast<std::uint32_t>(digit);
    if (++digits % 4 == 0) {
      bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
      bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
      bytes.push_back(static_cast<std::uint8_t>(bits));
    }
  }
  if (padding > 2 || (digits + padding) % 4 != 0) return std::nullopt;
  if (digits % 4 == 2) bytes.push_back(static_cast<std::uint8_t>(bits >> 4));
  if (digits % 4 == 3) {
    bytes.push_back(static_cast<std::uint8_t>(bits >> 10));
    bytes.push_back(static_cast<std::uint8_t>(bits >> 2));
  }
  return bytes;
}

void appendXmlLiteral(std::string_view run, std::string& out) {
  std::size_t at = 0;
  for (std::size_t cr = run.find('\r'); cr != std::string_view::npos; cr = run.find('\r', at)) {
    out.append(run.substr(at, cr - at));
    out.push_back('\n');
    at = run.substr(cr, 2) == "\r\n" ? cr + 2 : cr + 1;
  }
  out.append(run.substr(at));
}

bool appendXmlText(std::string_view run, std::string& out) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities{
      {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}, {"quot", '"'}}};
  std::size_t at = 0;
  for (;;) {
    const std::size_t ampersand = run.find('&', at);
    appendXmlLiteral(run.substr(at, ampersand - at), out);
    if (ampersand == std::string_view::npos) return true;
    const std::size_t end = run.find(';', ampersand);
    if (end == std::string_view::npos) return false;
    const std::string_view name = run.substr(ampersand + 1, end - ampersand - 1);
    at = end + 1;
    bool named = false;
    for (const auto& [entity, c] : kEntities) {
      if (name == entity) {
        out.push_back(c);
        named = true;
      }
    }
    if (named) continue;
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t codePoint = 0;
    const auto [ptr, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), codePoint, hex ? 16 : 10);
    if (digits.empty() || ec != std::errc{} || ptr != digits.data() + digits.size()) return false;
    if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    appendUtf8(out, codePoint);
  }
}

}  // namespace platform
