#include "store/BinaryPlistWriter.h"

#include <bit>
#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "store/BinaryPlistFormat.h"
#include "store/PlistCodec.h"
#include "store/PlistText.h"

namespace platform {
namespace {

using namespace binary_plist;
using Bytes = std::vector<std::uint8_t>;

// The fewest bytes (1, 2, 4 or 8) that hold `value` unsigned.
unsigned widthFor(std::uint64_t value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFF) return 4;
  return 8;
}

void putUnsigned(Bytes& out, std::uint64_t value, unsigned width) {
  for (unsigned i = width; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putInteger(Bytes& out, std::uint64_t value, unsigned width) {
  out.push_back(makeMarker(kInteger, static_cast<unsigned>(std::countr_zero(width))));
  putUnsigned(out, value, width);
}

// A marker with its element count.
void putHeader(Bytes& out, Type type, std::uint64_t count) {
  if (count < kCountFollows) {
    out.push_back(makeMarker(type, static_cast<unsigned>(count)));
    return;
  }
  out.push_back(makeMarker(type, kCountFollows));
  putInteger(out, count, widthFor(count));
}

class Writer {
 public:
  std::variant<Bytes, std::string> write(const PlistValue& root) {
    add(root, 0);
    if (error_) return *error_;
    const unsigned refSize = widthFor(objects_.size() - 1);
    Bytes out(kMagic.begin(), kMagic.end());
    std::vector<std::uint64_t> offsets;
    offsets.reserve(objects_.size());
    for (const Object& object : objects_) {
      offsets.push_back(out.size());
      out.insert(out.end(), object.bytes.begin(), object.bytes.end());
      for (const std::size_t ref : object.refs) putUnsigned(out, ref, refSize);
    }
    const std::uint64_t table = out.size();
    const unsigned offsetSize = widthFor(offsets.back());
    for (const std::uint64_t offset : offsets) putUnsigned(out, offset, offsetSize);
    out.insert(out.end(), kTrailerUnusedBytes, 0);
    out.push_back(static_cast<std::uint8_t>(offsetSize));
    out.push_back(static_cast<std::uint8_t>(refSize));
    putUnsigned(out, objects_.size(), kTrailerNumberBytes);
    putUnsigned(out, 0, kTrailerNumberBytes);  // the root comes first
    putUnsigned(out, table, kTrailerNumberBytes);
    return out;
  }

 private:
  // A leaf's whole encoding, or a container's header and the indexes of its elements.
  struct Object {
    Bytes bytes;
    std::vector<std::size_t> refs;
  };

  std::size_t fail(std::string reason) {
    if (!error_) error_ = std::move(reason);
    return 0;
  }

  std::size_t add(const PlistValue& value, int depth) {
    if (error_) return 0;
    if (const auto* array = value.as<PlistArray>()) return addArray(*array, depth);
    if (const auto* dictionary = value.as<PlistDictionary>())
      return addDictionary(*dictionary, depth);
    if (const auto* text = value.as<std::string>()) return addText(*text, "string");
    Bytes bytes;
    if (!encodeScalar(value, bytes)) return 0;
    return addLeaf(std::move(bytes));
  }

  std::size_t addLeaf(Bytes bytes) {
    const auto [entry, added] =
        leaves_.try_emplace(std::string(bytes.begin(), bytes.end()), objects_.size());
    if (added) objects_.push_back(Object{std::move(bytes), {}});
    return entry->second;
  }

  // Other readers take texts as C strings, and the format holds only Unicode text: ASCII as it
  // is, anything else as UTF-16 big-endian.
  std::size_t addText(const std::string& text, std::string_view what) {
    if (text.find('\0') != std::string::npos)
      return fail(std::string(what) + " contains a NUL character");
    Bytes bytes;
    bool ascii = true;
    for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii && !isValidUtf8(text)) return fail(std::string(what) + " is not valid UTF-8");
    if (ascii) {
      putHeader(bytes, kAscii, text.size());
      bytes.insert(bytes.end(), text.begin(), text.end());
      return addLeaf(std::move(bytes));
    }
    std::vector<std::uint16_t> units;
    for (std::size_t at = 0; at < text.size();) {
      const char32_t codePoint = *nextUtf8CodePoint(text, at);
      if (codePoint < 0x10000) {
        units.push_back(static_cast<std::uint16_t>(codePoint));
      } else {
        units.push_back(static_cast<std::uint16_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
        units.push_back(static_cast<std::uint16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
      }
    }
    putHeader(bytes, kUtf16, units.size());
    for (const std::uint16_t unit : units) putUnsigned(bytes, unit, 2);
    return addLeaf(std::move(bytes));
  }

  std::size_t addArray(const PlistArray& array, int depth) {
    if (depth + 1 > kMaxPlistNesting) return fail("nested deeper than 32 levels");
    const std::size_t index = objects_.size();
    objects_.emplace_back();
    putHeader(objects_[index].bytes, kArray, array.size());
    std::vector<std::size_t> refs;
    refs.reserve(array.size());
    for (const PlistValue& item : array) refs.push_back(add(item, depth + 1));
    objects_[index].refs = std::move(refs);
    return index;
  }

  std::size_t addDictionary(const PlistDictionary& dictionary, int depth) {
    if (depth + 1 > kMaxPlistNesting) return fail("nested deeper than 32 levels");
    const std::size_t index = objects_.size();
    objects_.emplace_back();
    putHeader(objects_[index].bytes, kDictionary, dictionary.size());
    std::vector<std::size_t> refs(dictionary.size() * 2);
    std::size_t i = 0;
    for (const auto& [key, item] : dictionary) refs[i++] = addText(key, "key");
    for (const auto& [key, item] : dictionary) refs[i++] = add(item, depth + 1);
    objects_[index].refs = std::move(refs);
    return index;
  }

  bool encodeScalar(const PlistValue& value, Bytes& out) {
    if (const auto* number = value.as<std::int64_t>()) {
      // Eight bytes are read back as two's complement, fewer as unsigned.
      const auto bits = static_cast<std::uint64_t>(*number);
      putInteger(out, bits, *number < 0 ? 8 : widthFor(bits));
    } else if (const auto* real = value.as<double>()) {
      out.push_back(makeMarker(kReal, kEightBytes));
      putUnsigned(out, std::bit_cast<std::uint64_t>(*real), 8);
    } else if (const auto* flag = value.as<bool>()) {
      out.push_back(*flag ? kTrue : kFalse);
    } else if (const auto* date = value.as<PlistDate>()) {
      if (!isPlistDateInRange(date->secondsSince2001)) {
        fail("date outside 1932-12-13 to 2069-01-19");
        return false;
      }
      out.push_back(kDateMarker);
      putUnsigned(out, std::bit_cast<std::uint64_t>(date->secondsSince2001), 8);
    } else if (const auto* data = value.as<PlistData>()) {
      putHeader(out, kData, data->size());
      out.insert(out.end(), data->begin(), data->end());
    }
    return true;
  }

  std::vector<Object> objects_;
  // Each distinct leaf is written once, by its encoding.
  std::unordered_map<std::string, std::size_t> leaves_;
  std::optional<std::string> error_;
};

}  // namespace

std::variant<std::vector<std::uint8_t>, std::string> writeBinaryPlist(const PlistValue& value) {
  return Writer().write(value);
}

}  // namespace platform
