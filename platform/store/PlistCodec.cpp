#include "store/PlistCodec.h"

#include "store/DatePlaceholders.h"

#include <plist/plist.h>

#include <locale.h>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

namespace platform {
namespace {

// What one value counts toward kMaxPlistExpandedBytes: texts and data count their bytes, and
// nothing counts less than this.
constexpr std::uint64_t kValueBytes = 8;

std::uint64_t countedBytes(std::uint64_t length) { return std::max(length, kValueBytes); }

std::uint64_t expandedBytes(const PlistValue& value) {
  if (const auto* text = value.as<std::string>()) return countedBytes(text->size());
  if (const auto* data = value.as<PlistData>()) return countedBytes(data->size());
  std::uint64_t total = kValueBytes;
  if (const auto* array = value.as<PlistArray>()) {
    for (const PlistValue& item : *array) total += expandedBytes(item);
  } else if (const auto* dictionary = value.as<PlistDictionary>()) {
    for (const auto& [key, item] : *dictionary)
      total += countedBytes(key.size()) + expandedBytes(item);
  }
  return total;
}

constexpr double kMinDateSeconds = static_cast<double>(std::numeric_limits<std::int32_t>::min());
constexpr double kMaxDateSeconds = static_cast<double>(std::numeric_limits<std::int32_t>::max());

// ---------------------------------------------------------------------------------------------
// Text helpers

bool isValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2;
      codePoint = lead & 0x1Fu;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      codePoint = lead & 0x0Fu;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      codePoint = lead & 0x07u;
      minimum = 0x10000;
    } else {
      return false;
    }
    if (size - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char next = bytes[i + k];
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

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

// ---------------------------------------------------------------------------------------------
// Binary format: a full walk of the object graph before the library sees the bytes.

class BinaryScanner {
 public:
  BinaryScanner(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::optional<std::string> scan() {
    if (size_ < 8 + 1 + 32) return "binary property list is truncated";
    if (std::memcmp(data_, "bplist00", 8) != 0) return "unsupported binary property list version";
    const std::uint8_t* trailer = data_ + size_ - 32;
    offsetSize_ = trailer[6];
    refSize_ = trailer[7];
    objectCount_ = readUnsigned(trailer + 8, 8);
    const std::uint64_t top = readUnsigned(trailer + 16, 8);
    offsetTable_ = readUnsigned(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
      return "binary property list has a bad trailer";
    // Every object takes at least one byte, so the count is bounded by the file size.
    if (objectCount_ == 0 || objectCount_ > size_ || top >= objectCount_)
      return "binary property list has a bad object count";
    const std::uint64_t tableEnd = size_ - 32;
    if (offsetTable_ < 9 || offsetTable_ > tableEnd ||
        objectCount_ > (tableEnd - offsetTable_) / offsetSize_)
      return "binary property list has a bad offset table";
    objects_.assign(objectCount_, Object{});
    if (auto error = visit(top, 0)) return error;
    return checkNoOverlap();
  }

  // Where the 8-byte value of each date object of the tree starts.
  const std::vector<std::uint64_t>& datePayloads() const { return datePayloads_; }

 private:
  enum class State : std::uint8_t { Unvisited, InProgress, Done };
  struct Object {
    State state = State::Unvisited;
    int height = 0;  // containers on the deepest path from this object down, itself included
    std::uint64_t bytes = 0;  // toward kMaxPlistExpandedBytes, with shared objects expanded
  };

  std::uint64_t readUnsigned(const std::uint8_t* p, unsigned width) const {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value = (value << 8) | p[i];
    return value;
  }

  // Whether [pos, pos + length) lies in the object area.
  bool inObjects(std::uint64_t pos, std::uint64_t length) const {
    return pos <= offsetTable_ && length <= offsetTable_ - pos;
  }

  static std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
  }

  // Reads the element count of a data, string or container object whose marker is at `pos`;
  // sets `payload` to where its contents start.
  std::optional<std::string> readCount(std::uint64_t pos, std::uint64_t& count,
                                       std::uint64_t& payload) const {
    const unsigned info = data_[pos] & 0x0Fu;
    if (info != 0x0F) {
      count = info;
      payload = pos + 1;
      return std::nullopt;
    }
    if (!inObjects(pos + 1, 1)) return "binary property list is truncated";
    const std::uint8_t marker = data_[pos + 1];
    if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3)
      return "binary property list has a bad length";
    const unsigned width = 1u << (marker & 0x0Fu);
    if (!inObjects(pos + 2, width)) return "binary property list is truncated";
    count = readUnsigned(data_ + pos + 2, width);
    payload = pos + 2 + width;
    return std::nullopt;
  }

  std::optional<std::string> visit(std::uint64_t index, int depth) {
    Object& object = objects_[index];
    if (object.state == State::InProgress) return "binary property list has a reference cycle";
    if (object.state == State::Done) {
      if (depth + object.height > kMaxPlistNesting) return "nested deeper than 32 levels";
      return std::nullopt;
    }
    object.state = State::InProgress;

    const std::uint64_t pos = readUnsigned(data_ + offsetTable_ + index * offsetSize_, offsetSize_);
    if (pos < 8 || !inObjects(pos, 1)) return "binary property list has a bad object offset";
    const std::uint8_t marker = data_[pos];
    const unsigned info = marker & 0x0Fu;
    std::uint64_t bytes = kValueBytes;
    int height = 0;
    std::uint64_t end = pos + 1;  // past the object's last byte

    switch (marker >> 4) {
      case 0x0:
        if (marker != 0x08 && marker != 0x09) return "unsupported object in binary property list";
        break;
      case 0x1: {
        if (info > 4) return "binary property list has a bad integer";
        const unsigned width = 1u << info;
        if (!inObjects(pos + 1, width)) return "binary property list is truncated";
        if (width == 16) {
          // Only the sign extension of a 64-bit value fits; larger values would wrap.
          const std::uint64_t high = readUnsigned(data_ + pos + 1, 8);
          const bool negative = (data_[pos + 9] & 0x80) != 0;
          if (high != (negative ? std::numeric_limits<std::uint64_t>::max() : 0))
            return "integer outside the 64-bit range";
        }
        end = pos + 1 + width;
        break;
      }
      case 0x2:
        if (info != 2 && info != 3) return "binary property list has a bad real";
        if (!inObjects(pos + 1, std::uint64_t{1} << info))
          return "binary property list is truncated";
        end = pos + 1 + (std::uint64_t{1} << info);
        break;
      case 0x3: {
        if (marker != 0x33 || !inObjects(pos + 1, 8)) return "binary property list has a bad date";
        const std::uint64_t raw = readUnsigned(data_ + pos + 1, 8);
        double seconds = 0;
        std::memcpy(&seconds, &raw, sizeof seconds);
        if (!std::isfinite(seconds) || std::floor(seconds) < kMinDateSeconds ||
            std::floor(seconds) > kMaxDateSeconds)
          return "date outside the supported range";
        datePayloads_.push_back(pos + 1);
        end = pos + 9;
        break;
      }
      case 0x4:
      case 0x5:
      case 0x6: {
        std::uint64_t count = 0;
        std::uint64_t payload = 0;
        if (auto error = readCount(pos, count, payload)) return error;
        const bool utf16 = (marker >> 4) == 0x6;
        if (utf16 && count > std::numeric_limits<std::uint64_t>::max() / 2)
          return "binary property list is truncated";
        const std::uint64_t length = utf16 ? count * 2 : count;
        if (!inObjects(payload, length)) return "binary property list is truncated";
        // Texts count as the UTF-8 they decode to, as the encoder counts them.
        std::uint64_t decoded = length;
        if ((marker >> 4) == 0x5) {
          for (std::uint64_t i = 0; i < length; ++i) {
            const std::uint8_t c = data_[payload + i];
            if (c == 0 || c >= 0x80) return "string is not valid ASCII";
          }
        } else if (utf16) {
          if (auto error = checkUtf16(payload, count, decoded)) return error;
        }
        bytes = countedBytes(decoded);
        end = payload + length;
        break;
      }
      case 0xA:
      case 0xD: {
        if (depth + 1 > kMaxPlistNesting) return "nested deeper than 32 levels";
        std::uint64_t count = 0;
        std::uint64_t payload = 0;
        if (auto error = readCount(pos, count, payload)) return error;
        const bool dictionary = (marker >> 4) == 0xD;
        const std::uint64_t refs = dictionary ? count * 2 : count;
        if (count > offsetTable_ || !inObjects(payload, refs * refSize_))
          return "binary property list is truncated";
        end = payload + refs * refSize_;
        for (std::uint64_t i = 0; i < refs; ++i) {
          const std::uint64_t ref = readUnsigned(data_ + payload + i * refSize_, refSize_);
          if (ref >= objectCount_) return "binary property list has a bad object reference";
          if (dictionary && i < count) {
            if (auto error = checkKey(ref)) return error;
          }
          if (auto error = visit(ref, depth + 1)) return error;
          const Object& child = objects_[ref];
          height = std::max(height, child.height);
          bytes = saturatingAdd(bytes, child.bytes);
        }
        height += 1;
        break;
      }
      default:
        return "unsupported object in binary property list";
    }
    if (bytes > kMaxPlistExpandedBytes) return "binary property list expands beyond 1 MiB";
    extents_.emplace_back(pos, end);
    object.state = State::Done;
    object.height = height;
    object.bytes = bytes;
    return std::nullopt;
  }

  // No writer lets two objects share bytes, and the dates are rewritten in place before the
  // library reads them: a date inside another object's bytes would change that object.
  std::optional<std::string> checkNoOverlap() {
    std::sort(extents_.begin(), extents_.end());
    for (std::size_t i = 1; i < extents_.size(); ++i) {
      if (extents_[i].first < extents_[i - 1].second)
        return "binary property list has overlapping objects";
    }
    return std::nullopt;
  }

  std::optional<std::string> checkKey(std::uint64_t ref) const {
    const std::uint64_t pos = readUnsigned(data_ + offsetTable_ + ref * offsetSize_, offsetSize_);
    if (pos < 8 || !inObjects(pos, 1)) return "binary property list has a bad object offset";
    const unsigned type = data_[pos] >> 4;
    if (type != 0x5 && type != 0x6) return "dictionary key is not a string";
    return std::nullopt;
  }

  // Also gives the length of the text in UTF-8.
  std::optional<std::string> checkUtf16(std::uint64_t payload, std::uint64_t count,
                                        std::uint64_t& utf8Length) const {
    utf8Length = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
      const auto unit = static_cast<std::uint32_t>(readUnsigned(data_ + payload + i * 2, 2));
      if (unit == 0) return "string contains a NUL character";
      if (unit >= 0xDC00 && unit <= 0xDFFF) return "string is not valid UTF-16";
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (i + 1 == count) return "string is not valid UTF-16";
        const auto low = static_cast<std::uint32_t>(readUnsigned(data_ + payload + (i + 1) * 2, 2));
        if (low < 0xDC00 || low > 0xDFFF) return "string is not valid UTF-16";
        ++i;
        utf8Length += 4;
      } else {
        utf8Length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
      }
    }
    return std::nullopt;
  }

  const std::uint8_t* data_;
  std::uint64_t size_;
  unsigned offsetSize_ = 0;
  unsigned refSize_ = 0;
  std::uint64_t objectCount_ = 0;
  std::uint64_t offsetTable_ = 0;
  std::vector<Object> objects_;
  std::vector<std::uint64_t> datePayloads_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> extents_;
};

// ---------------------------------------------------------------------------------------------
// XML format: a well-formedness and value check before the library sees the text. The library
// silently coerces what it cannot read (bad numbers, dates, base64, a missing last '>'), so
// anything it would not read faithfully is refused here.

bool parseXmlInteger(std::string_view text) {
  text = trimmed(text);
  std::int64_t value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::uint64_t unsignedValue = 0;
    const auto [end, ec] =
        std::from_chars(text.data() + 2, text.data() + text.size(), unsignedValue, 16);
    return ec == std::errc{} && end == text.data() + text.size() &&
           unsignedValue <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  }
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc{} && end == text.data() + text.size();
}

bool parseXmlReal(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return false;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  // Overflow reads as infinity, as it does for every other reader of the format.
  return (ec == std::errc{} || ec == std::errc::result_out_of_range) &&
         end == text.data() + text.size();
}

bool parseXmlDate(std::string_view text) {
  text = trimmed(text);
  // YYYY-MM-DDTHH:MM:SSZ, the only form writers produce.
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z')
    return false;
  const auto number = [&](std::size_t at, std::size_t length, unsigned& out) {
    const auto [end, ec] = std::from_chars(text.data() + at, text.data() + at + length, out);
    return ec == std::errc{} && end == text.data() + at + length;
  };
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) || !number(11, 2, hour) ||
      !number(14, 2, minute) || !number(17, 2, second))
    return false;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return false;
  static constexpr std::array<unsigned, 12> kDaysInMonth{31, 28, 31, 30, 31, 30,
                                                         31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  const std::int64_t seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
                               second - kSecondsFrom1970To2001;
  return seconds >= std::numeric_limits<std::int32_t>::min() &&
         seconds <= std::numeric_limits<std::int32_t>::max();
}

bool isBase64(std::string_view text) {
  std::size_t digits = 0;
  std::size_t padding = 0;
  for (const char c : text) {
    if (isXmlSpace(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '+' || c == '/';
    if (!alphabet || padding > 0) return false;
    ++digits;
  }
  return padding <= 2 && (digits + padding) % 4 == 0;
}

// Checks entity and character references in a run of text.
bool checkReferences(std::string_view text) {
  std::size_t at = 0;
  while ((at = text.find('&', at)) != std::string_view::npos) {
    const std::size_t end = text.find(';', at);
    if (end == std::string_view::npos) return false;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    at = end + 1;
    if (name == "amp" || name == "lt" || name == "gt" || name == "apos" || name == "quot") continue;
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t codePoint = 0;
    const auto [ptr, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), codePoint, hex ? 16 : 10);
    if (digits.empty() || ec != std::errc{} || ptr != digits.data() + digits.size()) return false;
    if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
  }
  return true;
}

class XmlScanner {
 public:
  explicit XmlScanner(std::string_view text) : text_(text) {}

  std::optional<std::string> scan() {
    if (text_.find('\0') != std::string_view::npos) return "XML contains a NUL byte";
    while (pos_ < text_.size()) {
      if (text_[pos_] != '<') {
        if (auto error = onText()) return error;
        continue;
      }
      std::optional<std::string> error;
      if (startsWith("<!--")) {
        error = skipPast("-->");
      } else if (startsWith("<![CDATA[")) {
        error = onCdata();
      } else if (startsWith("<?")) {
        error = stack_.empty() ? skipPast("?>") : "processing instruction inside an element";
      } else if (startsWith("<!DOCTYPE")) {
        error = rootSeen_ || !stack_.empty() ? "misplaced DOCTYPE" : skipDoctype();
      } else if (startsWith("</")) {
        error = onEndTag();
      } else {
        error = onStartTag();
      }
      if (error) return error;
    }
    if (!stack_.empty()) return "XML ends inside " + tag(stack_.back().kind);
    if (!rootSeen_) return "not a property list";
    return std::nullopt;
  }

 private:
  enum class Kind { Plist, Dict, Array, Key, String, Integer, Real, True, False, Date, Data };
  struct Frame {
    Kind kind;
    std::size_t children = 0;
    std::string text;
  };

  static constexpr std::array<std::pair<Kind, std::string_view>, 11> kNames{{
      {Kind::Plist, "plist"},
      {Kind::Dict, "dict"},
      {Kind::Array, "array"},
      {Kind::Key, "key"},
      {Kind::String, "string"},
      {Kind::Integer, "integer"},
      {Kind::Real, "real"},
      {Kind::True, "true"},
      {Kind::False, "false"},
      {Kind::Date, "date"},
      {Kind::Data, "data"},
  }};

  static std::string_view name(Kind kind) {
    for (const auto& [k, n] : kNames)
      if (k == kind) return n;
    return {};
  }
  static std::string tag(Kind kind) {
    std::string text(1, '<');
    text.append(name(kind));
    text.push_back('>');
    return text;
  }
  static bool isContainer(Kind kind) { return kind == Kind::Dict || kind == Kind::Array; }
  static bool isValue(Kind kind) { return kind != Kind::Plist && kind != Kind::Key; }
  static bool isText(Kind kind) { return kind == Kind::Key || kind == Kind::String; }

  bool startsWith(std::string_view prefix) const {
    return text_.substr(pos_, prefix.size()) == prefix;
  }

  std::optional<std::string> skipPast(std::string_view terminator) {
    const std::size_t end = text_.find(terminator, pos_ + 2);
    if (end == std::string_view::npos) return "XML is truncated";
    pos_ = end + terminator.size();
    return std::nullopt;
  }

  std::optional<std::string> skipDoctype() {
    char quote = 0;
    int brackets = 0;
    for (std::size_t i = pos_ + 9; i < text_.size(); ++i) {
      const char c = text_[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++brackets;
      } else if (c == ']') {
        --brackets;
      } else if (c == '>' && brackets <= 0) {
        pos_ = i + 1;
        return std::nullopt;
      }
    }
    return "XML is truncated";
  }

  std::optional<std::string> onText() {
    const std::size_t end = std::min(text_.find('<', pos_), text_.size());
    const std::string_view run = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (stack_.empty() || isContainer(stack_.back().kind) || stack_.back().kind == Kind::Plist) {
      if (!trimmed(run).empty()) return "unexpected text in XML property list";
      return std::nullopt;
    }
    Frame& frame = stack_.back();
    if (isText(frame.kind) && !checkReferences(run)) return "bad character reference in XML";
    frame.text.append(run);
    return std::nullopt;
  }

  std::optional<std::string> onCdata() {
    const std::size_t start = pos_ + 9;
    const std::size_t end = text_.find("]]>", start);
    if (end == std::string_view::npos) return "XML is truncated";
    if (stack_.empty() || !isText(stack_.back().kind)) return "unexpected CDATA in XML";
    stack_.back().text.append(text_.substr(start, end - start));
    pos_ = end + 3;
    return std::nullopt;
  }

  std::optional<std::string> readName(Kind& kind) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && ((text_[pos_] >= 'a' && text_[pos_] <= 'z') ||
                                   (text_[pos_] >= 'A' && text_[pos_] <= 'Z')))
      ++pos_;
    const std::string_view found = text_.substr(start, pos_ - start);
    for (const auto& [k, n] : kNames) {
      if (n == found) {
        kind = k;
        return std::nullopt;
      }
    }
    if (pos_ >= text_.size()) return "XML is truncated";
    std::string message = "unknown element <";
    message.append(found);
    return message.append("> in XML property list");
  }

  void skipSpace() {
    while (pos_ < text_.size() && isXmlSpace(text_[pos_])) ++pos_;
  }

  std::optional<std::string> onStartTag() {
    ++pos_;
    Kind kind{};
    if (auto error = readName(kind)) return error;
    // Attributes: the library ends a tag at the first '>', even inside quotes.
    bool selfClosing = false;
    for (;;) {
      const std::size_t before = pos_;
      skipSpace();
      if (pos_ >= text_.size()) return "XML is truncated";
      if (text_[pos_] == '>') {
        ++pos_;
        break;
      }
      if (startsWith("/>")) {
        pos_ += 2;
        selfClosing = true;
        break;
      }
      if (pos_ == before) return "malformed tag in XML";
      const std::size_t nameStart = pos_;
      while (pos_ < text_.size() && !isXmlSpace(text_[pos_]) && text_[pos_] != '=' &&
             text_[pos_] != '>' && text_[pos_] != '/' && text_[pos_] != '<')
        ++pos_;
      if (pos_ == nameStart) return "malformed tag in XML";
      skipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '=') return "malformed attribute in XML";
      ++pos_;
      skipSpace();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) {
        return "malformed attribute in XML";
      }
      const char quote = text_[pos_++];
      const std::size_t close = text_.find(quote, pos_);
      if (close == std::string_view::npos) return "XML is truncated";
      const std::string_view value = text_.substr(pos_, close - pos_);
      if (value.find_first_of("<>") != std::string_view::npos) return "malformed attribute in XML";
      pos_ = close + 1;
    }
    if (auto error = open(kind)) return error;
    if (selfClosing) return close();
    return std::nullopt;
  }

  std::optional<std::string> onEndTag() {
    pos_ += 2;
    Kind kind{};
    if (auto error = readName(kind)) return error;
    skipSpace();
    if (pos_ >= text_.size()) return "XML is truncated";
    if (text_[pos_] != '>') return "malformed end tag in XML";
    ++pos_;
    if (stack_.empty() || stack_.back().kind != kind) return "mismatched end of " + tag(kind);
    return close();
  }

  std::optional<std::string> open(Kind kind) {
    const std::string element = tag(kind);
    if (kind == Kind::Plist && !stack_.empty()) return "misplaced " + element + " in XML";
    if (stack_.empty()) {
      if (rootSeen_) return "more than one root element in XML";
      if (kind == Kind::Key) return "misplaced " + element + " in XML";
      rootSeen_ = true;
    } else {
      Frame& parent = stack_.back();
      switch (parent.kind) {
        case Kind::Plist:
        case Kind::Array:
          if (!isValue(kind)) return "misplaced " + element + " in XML";
          if (parent.kind == Kind::Plist && parent.children > 0)
            return "more than one value in <plist>";
          break;
        case Kind::Dict:
          if ((parent.children % 2 == 0) != (kind == Kind::Key))
            return "dictionary keys and values do not alternate";
          break;
        default:
          return element + " inside " + tag(parent.kind);
      }
      ++parent.children;
    }
    if (isContainer(kind) && ++containerDepth_ > kMaxPlistNesting)
      return "nested deeper than 32 levels";
    stack_.push_back(Frame{kind, 0, {}});
    return std::nullopt;
  }

  std::optional<std::string> close() {
    const Frame frame = std::move(stack_.back());
    stack_.pop_back();
    const std::string element = tag(frame.kind);
    switch (frame.kind) {
      case Kind::Dict:
        --containerDepth_;
        if (frame.children % 2 != 0) return "dictionary key without a value";
        break;
      case Kind::Array:
        --containerDepth_;
        break;
      case Kind::Plist:
        if (frame.children == 0) return "empty <plist>";
        break;
      case Kind::Integer:
        if (!parseXmlInteger(frame.text)) return "bad " + element + " in XML";
        break;
      case Kind::Real:
        if (!parseXmlReal(frame.text)) return "bad " + element + " in XML";
        break;
      case Kind::Date:
        if (!parseXmlDate(frame.text)) return "bad or out-of-range " + element + " in XML";
        break;
      case Kind::Data:
        if (!isBase64(frame.text)) return "bad " + element + " in XML";
        break;
      case Kind::True:
      case Kind::False:
        if (!trimmed(frame.text).empty()) return "bad " + element + " in XML";
        break;
      case Kind::Key:
      case Kind::String:
        break;
    }
    return std::nullopt;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<Frame> stack_;
  int containerDepth_ = 0;
  bool rootSeen_ = false;
};

// ---------------------------------------------------------------------------------------------
// Library nodes

struct NodeDeleter {
  void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

// The library reads XML reals with strtod, which follows the process locale (a GUI toolkit sets
// it from the environment, where the decimal separator may be a comma).
class ClassicNumericLocale {
 public:
  ClassicNumericLocale() : previous_(uselocale(classic())) {}
  ~ClassicNumericLocale() { uselocale(previous_); }
  ClassicNumericLocale(const ClassicNumericLocale&) = delete;
  ClassicNumericLocale& operator=(const ClassicNumericLocale&) = delete;

 private:
  static locale_t classic() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
  }
  locale_t previous_;
};

class NodeReader {
 public:
  // `dates` is absent for XML, whose dates are whole seconds that the library keeps exactly.
  explicit NodeReader(const DatePlaceholders* dates) : dates_(dates) {}

  // The value of `node`; on failure error() is set and the value is meaningless.
  PlistValue read(plist_t node) {
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PlistValue(value != 0);
      }
      case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PlistValue(static_cast<std::int64_t>(value));
      }
      case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PlistValue(value);
      }
      case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        std::string value(text != nullptr ? text : "", text != nullptr ? length : 0);
        if (!isValidUtf8(value)) fail("string is not valid UTF-8");
        return PlistValue(std::move(value));
      }
      case PLIST_DATE: {
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        if (dates_ == nullptr) return PlistValue(PlistDate{static_cast<double>(seconds)});
        const auto exact = dates_->exactFor(seconds, microseconds);
        if (!exact) fail("date placeholder lost by the property list library");
        return PlistValue(PlistDate{exact.value_or(0)});
      }
      case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
        return PlistValue(bytes != nullptr ? PlistData(begin, begin + length) : PlistData{});
      }
      case PLIST_ARRAY:
        return readArray(node);
      case PLIST_DICT:
        return readDictionary(node);
      default:
        fail("unsupported value type");
        return PlistValue();
    }
  }

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  void fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
  }

  PlistValue readArray(plist_t node) {
    PlistArray array;
    array.reserve(plist_array_get_size(node));
    plist_array_iter iter = nullptr;
    plist_array_new_iter(node, &iter);
    while (!failed()) {
      plist_t item = nullptr;
      plist_array_next_item(node, iter, &item);
      if (item == nullptr) break;
      array.push_back(read(item));
    }
    std::free(iter);
    return PlistValue(std::move(array));
  }

  PlistValue readDictionary(plist_t node) {
    PlistDictionary dictionary;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    while (!failed()) {
      char* key = nullptr;
      plist_t item = nullptr;
      plist_dict_next_item(node, iter, &key, &item);
      if (item == nullptr) {
        std::free(key);
        break;
      }
      std::string name(key != nullptr ? key : "");
      std::free(key);
      if (!isValidUtf8(name)) fail("dictionary key is not valid UTF-8");
      // Keys usually arrive sorted (as we write them), which makes the end the right hint.
      // A repeated key replaces the earlier value, as in every other reader.
      dictionary.insert_or_assign(dictionary.end(), std::move(name), read(item));
    }
    std::free(iter);
    return PlistValue(std::move(dictionary));
  }

  const DatePlaceholders* dates_;
  std::string error_;
};

class NodeWriter {
 public:
  explicit NodeWriter(DatePlaceholders& dates) : dates_(dates) {}

  Node build(const PlistValue& value, int depth) {
    return std::visit([&](const auto& v) { return make(v, depth); }, value.storage());
  }

  const std::string& error() const { return error_; }

 private:
  Node fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
    return nullptr;
  }

  // The library takes C strings and its binary writer mangles invalid UTF-8, so either would
  // change the text without telling anyone.
  bool checkText(const std::string& text, const char* what) {
    if (text.find('\0') != std::string::npos) {
      fail(std::string(what) + " contains a NUL character");
      return false;
    }
    if (!isValidUtf8(text)) {
      fail(std::string(what) + " is not valid UTF-8");
      return false;
    }
    return true;
  }

  Node make(const std::string& text, int) {
    if (!checkText(text, "string")) return nullptr;
    return Node(plist_new_string(text.c_str()));
  }
  Node make(std::int64_t number, int) {
    // The library keeps integers unsigned; negative values travel as two's complement.
    return Node(plist_new_uint(static_cast<std::uint64_t>(number)));
  }
  Node make(double number, int) { return Node(plist_new_real(number)); }
  Node make(bool flag, int) { return Node(plist_new_bool(flag ? 1 : 0)); }
  Node make(const PlistDate& date, int) {
    const double value = date.secondsSince2001;
    if (!std::isfinite(value)) return fail("date is not finite");
    // The range the decoder takes: the library reads XML dates as 32-bit seconds.
    if (std::floor(value) < kMinDateSeconds || std::floor(value) > kMaxDateSeconds)
      return fail("date outside 1932-12-13 to 2069-01-19");
    return Node(plist_new_date(dates_.placeholderFor(value), 0));
  }
  Node make(const PlistData& data, int) {
    return Node(plist_new_data(reinterpret_cast<const char*>(data.data()), data.size()));
  }
  Node make(const PlistArray& array, int depth) {
    if (depth + 1 > kMaxPlistNesting) return fail("nested deeper than 32 levels");
    Node node(plist_new_array());
    for (const PlistValue& item : array) {
      Node child = build(item, depth + 1);
      if (!child) return nullptr;
      plist_array_append_item(node.get(), child.release());
    }
    return node;
  }
  Node make(const PlistDictionary& dictionary, int depth) {
    if (depth + 1 > kMaxPlistNesting) return fail("nested deeper than 32 levels");
    Node node(plist_new_dict());
    for (const auto& [key, item] : dictionary) {
      if (!checkText(key, "key")) return nullptr;
      Node child = build(item, depth + 1);
      if (!child) return nullptr;
      plist_dict_set_item(node.get(), key.c_str(), child.release());
    }
    return node;
  }

  DatePlaceholders& dates_;
  std::string error_;
};

}  // namespace

std::variant<PlistValue, PlistDecodeError> decodePlist(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > kMaxPlistFileBytes) return PlistDecodeError{"larger than 1 MiB"};
  const bool binary = bytes.size() >= 6 && std::memcmp(bytes.data(), "bplist", 6) == 0;

  Node root;
  DatePlaceholders dates;
  if (binary) {
    BinaryScanner scanner(bytes.data(), bytes.size());
    if (auto error = scanner.scan()) return PlistDecodeError{std::move(*error)};
    std::vector<std::uint8_t> placed = bytes;
    for (const std::uint64_t payload : scanner.datePayloads())
      dates.replaceWithPlaceholder(placed, payload);
    plist_t parsed = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(placed.data()),
                   static_cast<std::uint32_t>(placed.size()), &parsed);
    root.reset(parsed);
  } else {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    XmlScanner scanner(text);
    if (auto error = scanner.scan()) return PlistDecodeError{std::move(*error)};
    const ClassicNumericLocale classic;
    plist_t parsed = nullptr;
    plist_from_xml(text.data(), static_cast<std::uint32_t>(text.size()), &parsed);
    root.reset(parsed);
  }
  if (!root) return PlistDecodeError{"not a readable property list"};

  NodeReader reader(binary ? &dates : nullptr);
  PlistValue value = reader.read(root.get());
  if (reader.failed()) return PlistDecodeError{reader.error()};
  // XML shares nothing, so only its own size bounds it; a file the encoder would refuse is as
  // unusable as a broken one.
  if (!binary && expandedBytes(value) > kMaxPlistExpandedBytes)
    return PlistDecodeError{"expands beyond 1 MiB"};
  return value;
}

std::variant<std::vector<std::uint8_t>, std::string> encodeBinaryPlist(const PlistValue& value) {
  if (expandedBytes(value) > kMaxPlistExpandedBytes) return std::string("expands beyond 1 MiB");
  DatePlaceholders dates;
  NodeWriter writer(dates);
  Node root = writer.build(value, 0);
  if (!root) return writer.error();
  char* buffer = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(root.get(), &buffer, &length);
  if (buffer == nullptr) return std::string("the property list library could not serialise it");
  std::vector<std::uint8_t> bytes(buffer, buffer + length);
  plist_to_bin_free(buffer);
  if (bytes.size() > kMaxPlistFileBytes) return std::string("larger than 1 MiB");
  if (!dates.restoreExactDates(bytes))
    return std::string("the property list library lost a date placeholder");
  return bytes;
}

}  // namespace platform
