#include "store/BinaryPlistReader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/BinaryPlistFormat.h"
#include "store/ExpandedSize.h"
#include "store/PlistText.h"

namespace platform {
namespace {

using namespace binary_plist;

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::variant<PlistValue, PlistDecodeError> read() {
    if (auto error = scan()) return PlistDecodeError{std::move(*error)};
    return build(top_);
  }

 private:
  enum class State : std::uint8_t { Unvisited, InProgress, Done };
  struct Object {
    State state = State::Unvisited;
    int height = 0;  // containers on the deepest path from this object down, itself included
    std::uint64_t bytes = 0;  // toward kMaxPlistExpandedBytes, with shared objects expanded
  };
  // Where the contents of a data, text or container object start, and how many elements it has.
  struct Extent {
    std::uint64_t count = 0;
    std::uint64_t payload = 0;
  };
  // What checking one object found: where it ends and what it adds to its containers.
  struct Checked {
    std::uint64_t end = 0;  // past the object's last byte
    int height = 0;
    std::uint64_t bytes = kCountedValueBytes;
  };

  std::uint64_t readUnsigned(std::uint64_t at, unsigned width) const {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value = (value << 8) | data_[at + i];
    return value;
  }

  // Whether [pos, pos + length) lies in the object area.
  bool inObjects(std::uint64_t pos, std::uint64_t length) const {
    return pos <= offsetTable_ && length <= offsetTable_ - pos;
  }

  std::uint64_t offsetOf(std::uint64_t index) const {
    return readUnsigned(offsetTable_ + index * offsetSize_, offsetSize_);
  }

  std::uint64_t referenceAt(std::uint64_t payload, std::uint64_t i) const {
    return readUnsigned(payload + i * refSize_, refSize_);
  }

  // ------------------------------------------------------------------------------------------
  // Checking

  std::optional<std::string> scan() {
    if (size_ < kMagic.size() + 1 + kTrailerBytes) return "binary property list is truncated";
    if (std::memcmp(data_, kMagic.data(), kMagic.size()) != 0)
      return "unsupported binary property list version";
    const std::uint64_t trailer = size_ - kTrailerBytes;
    offsetSize_ = data_[trailer + kOffsetSizeAt];
    refSize_ = data_[trailer + kRefSizeAt];
    objectCount_ = readUnsigned(trailer + kObjectCountAt, kTrailerNumberBytes);
    top_ = readUnsigned(trailer + kTopObjectAt, kTrailerNumberBytes);
    offsetTable_ = readUnsigned(trailer + kOffsetTableAt, kTrailerNumberBytes);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
      return "binary property list has a bad trailer";
    // Every object takes at least one byte, so the count is bounded by the file size.
    if (objectCount_ == 0 || objectCount_ > size_ || top_ >= objectCount_)
      return "binary property list has a bad object count";
    if (offsetTable_ < kMagic.size() + 1 || offsetTable_ > trailer ||
        objectCount_ > (trailer - offsetTable_) / offsetSize_)
      return "binary property list has a bad offset table";
    objects_.assign(objectCount_, Object{});
    if (auto error = visit(top_, 0)) return error;
    return checkNoOverlap();
  }

  // Reads the element count of a data, text or container object whose marker is at `pos`.
  std::optional<std::string> readExtent(std::uint64_t pos, Extent& extent) const {
    const unsigned size = sizeOf(data_[pos]);
    if (size != kCountFollows) {
      extent = Extent{size, pos + 1};
      return std::nullopt;
    }
    if (!inObjects(pos + 1, 1)) return "binary property list is truncated";
    const std::uint8_t marker = data_[pos + 1];
    if (typeOf(marker) != kInteger || sizeOf(marker) > 3)
      return "binary property list has a bad length";
    const unsigned width = 1u << sizeOf(marker);
    if (!inObjects(pos + 2, width)) return "binary property list is truncated";
    extent = Extent{readUnsigned(pos + 2, width), pos + 2 + width};
    return std::nullopt;
  }

  // Checks the object at `index` once, and again only how deep it sits when it is shared.
  std::optional<std::string> visit(std::uint64_t index, int depth) {
    Object& object = objects_[index];
    if (object.state == State::InProgress) return "binary property list has a reference cycle";
    if (object.state == State::Done) {
      if (depth + object.height > kMaxPlistNesting) return "nested deeper than 32 levels";
      return std::nullopt;
    }
    object.state = State::InProgress;

    const std::uint64_t pos = offsetOf(index);
    if (pos < kMagic.size() || !inObjects(pos, 1))
      return "binary property list has a bad object offset";
    Checked checked{.end = pos + 1};
    if (auto error = checkObject(pos, depth, checked)) return error;
    if (checked.bytes > kMaxPlistExpandedBytes) return "binary property list expands beyond 1 MiB";
    extents_.emplace_back(pos, checked.end);
    object.state = State::Done;
    object.height = checked.height;
    object.bytes = checked.bytes;
    return std::nullopt;
  }

  std::optional<std::string> checkObject(std::uint64_t pos, int depth, Checked& checked) {
    switch (typeOf(data_[pos])) {
      case kSimple:
        return checkSimple(pos);
      case kInteger:
        return checkInteger(pos, checked);
      case kReal:
        return checkReal(pos, checked);
      case kDate:
        return checkDate(pos, checked);
      case kData:
      case kAscii:
      case kUtf16:
        return checkBytes(pos, checked);
      case kArray:
      case kDictionary:
        return checkContainer(pos, depth, checked);
      default:
        return "unsupported object in binary property list";
    }
  }

  std::optional<std::string> checkSimple(std::uint64_t pos) const {
    if (data_[pos] != kFalse && data_[pos] != kTrue)
      return "unsupported object in binary property list";
    return std::nullopt;
  }

  std::optional<std::string> checkInteger(std::uint64_t pos, Checked& checked) const {
    const unsigned size = sizeOf(data_[pos]);
    if (size > 4) return "binary property list has a bad integer";
    const unsigned width = 1u << size;
    if (!inObjects(pos + 1, width)) return "binary property list is truncated";
    if (width == 16) {
      // Only the sign extension of a 64-bit value fits; larger values would wrap.
      const std::uint64_t high = readUnsigned(pos + 1, 8);
      const bool negative = (data_[pos + 9] & 0x80) != 0;
      if (high != (negative ? std::numeric_limits<std::uint64_t>::max() : 0))
        return "integer outside the 64-bit range";
    }
    checked.end = pos + 1 + width;
    return std::nullopt;
  }

  // A float or a double.
  std::optional<std::string> checkReal(std::uint64_t pos, Checked& checked) const {
    const unsigned size = sizeOf(data_[pos]);
    if (size != 2 && size != 3) return "binary property list has a bad real";
    const std::uint64_t width = std::uint64_t{1} << size;
    if (!inObjects(pos + 1, width)) return "binary property list is truncated";
    checked.end = pos + 1 + width;
    return std::nullopt;
  }

  std::optional<std::string> checkDate(std::uint64_t pos, Checked& checked) const {
    if (data_[pos] != kDateMarker || !inObjects(pos + 1, 8))
      return "binary property list has a bad date";
    if (!isPlistDateInRange(std::bit_cast<double>(readUnsigned(pos + 1, 8))))
      return "date outside the supported range";
    checked.end = pos + 9;
    return std::nullopt;
  }

  // Data and texts: their bytes lie in the object area, a text is valid and counts as its UTF-8.
  std::optional<std::string> checkBytes(std::uint64_t pos, Checked& checked) const {
    Extent extent;
    if (auto error = readExtent(pos, extent)) return error;
    const unsigned type = typeOf(data_[pos]);
    const bool utf16 = type == kUtf16;
    if (utf16 && extent.count > std::numeric_limits<std::uint64_t>::max() / 2)
      return "binary property list is truncated";
    const std::uint64_t length = utf16 ? extent.count * 2 : extent.count;
    if (!inObjects(extent.payload, length)) return "binary property list is truncated";
    std::uint64_t decoded = length;
    if (type == kAscii) {
      if (auto error = checkAscii(extent)) return error;
    } else if (utf16) {
      if (auto error = checkUtf16(extent, decoded)) return error;
    }
    checked.bytes = countedBytes(decoded);
    checked.end = extent.payload + length;
    return std::nullopt;
  }

  // Arrays and dictionaries: their nesting and references, their keys texts, then each element.
  std::optional<std::string> checkContainer(std::uint64_t pos, int depth, Checked& checked) {
    if (depth + 1 > kMaxPlistNesting) return "nested deeper than 32 levels";
    Extent extent;
    if (auto error = readExtent(pos, extent)) return error;
    const bool dictionary = typeOf(data_[pos]) == kDictionary;
    if (extent.count > offsetTable_) return "binary property list is truncated";
    const std::uint64_t refs = dictionary ? extent.count * 2 : extent.count;
    if (!inObjects(extent.payload, refs * refSize_)) return "binary property list is truncated";
    checked.end = extent.payload + refs * refSize_;
    for (std::uint64_t i = 0; i < refs; ++i) {
      const std::uint64_t ref = referenceAt(extent.payload, i);
      if (ref >= objectCount_) return "binary property list has a bad object reference";
      if (dictionary && i < extent.count) {
        if (auto error = checkKey(ref)) return error;
      }
      if (auto error = visit(ref, depth + 1)) return error;
      const Object& child = objects_[ref];
      checked.height = std::max(checked.height, child.height);
      checked.bytes = saturatingAdd(checked.bytes, child.bytes);
    }
    checked.height += 1;
    return std::nullopt;
  }

  // No writer lets two objects share bytes: an offset pointing into another object is damage.
  std::optional<std::string> checkNoOverlap() {
    std::sort(extents_.begin(), extents_.end());
    for (std::size_t i = 1; i < extents_.size(); ++i) {
      if (extents_[i].first < extents_[i - 1].second)
        return "binary property list has overlapping objects";
    }
    return std::nullopt;
  }

  std::optional<std::string> checkKey(std::uint64_t ref) const {
    const std::uint64_t pos = offsetOf(ref);
    if (pos < kMagic.size() || !inObjects(pos, 1))
      return "binary property list has a bad object offset";
    const unsigned type = typeOf(data_[pos]);
    if (type != kAscii && type != kUtf16) return "dictionary key is not a string";
    return std::nullopt;
  }

  std::optional<std::string> checkAscii(const Extent& text) const {
    for (std::uint64_t i = 0; i < text.count; ++i) {
      const std::uint8_t c = data_[text.payload + i];
      if (c == 0 || c >= 0x80) return "string is not valid ASCII";
    }
    return std::nullopt;
  }

  // Also gives the length of the text in UTF-8.
  std::optional<std::string> checkUtf16(const Extent& text, std::uint64_t& utf8Length) const {
    utf8Length = 0;
    for (std::uint64_t i = 0; i < text.count; ++i) {
      const auto unit = readUnsigned(text.payload + i * 2, 2);
      if (unit == 0) return "string contains a NUL character";
      if (unit >= 0xDC00 && unit <= 0xDFFF) return "string is not valid UTF-16";
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (i + 1 == text.count) return "string is not valid UTF-16";
        const auto low = readUnsigned(text.payload + (i + 1) * 2, 2);
        if (low < 0xDC00 || low > 0xDFFF) return "string is not valid UTF-16";
        ++i;
        utf8Length += 4;
      } else {
        utf8Length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
      }
    }
    return std::nullopt;
  }

  // ------------------------------------------------------------------------------------------
  // Building, from objects that scan() has accepted

  Extent extentAt(std::uint64_t pos) const {
    Extent extent;
    readExtent(pos, extent);
    return extent;
  }

  PlistValue build(std::uint64_t index) const {
    const std::uint64_t pos = offsetOf(index);
    const std::uint8_t marker = data_[pos];
    switch (typeOf(marker)) {
      case kSimple:
        return PlistValue(marker == kTrue);
      case kInteger: {
        // Eight bytes are two's complement, fewer unsigned; a 16-byte integer was checked to fit
        // in its low eight.
        const unsigned width = 1u << sizeOf(marker);
        const unsigned used = std::min(width, 8u);
        return PlistValue(static_cast<std::int64_t>(readUnsigned(pos + 1 + (width - used), used)));
      }
      case kReal:
        if (sizeOf(marker) == 2)
          return PlistValue(
              double{std::bit_cast<float>(static_cast<std::uint32_t>(readUnsigned(pos + 1, 4)))});
        return PlistValue(std::bit_cast<double>(readUnsigned(pos + 1, 8)));
      case kDate:
        return PlistValue(PlistDate{std::bit_cast<double>(readUnsigned(pos + 1, 8))});
      case kData: {
        const Extent extent = extentAt(pos);
        const std::uint8_t* begin = data_ + extent.payload;
        return PlistValue(PlistData(begin, begin + extent.count));
      }
      case kAscii:
      case kUtf16:
        return PlistValue(text(pos));
      case kArray: {
        const Extent extent = extentAt(pos);
        PlistArray array;
        array.reserve(extent.count);
        for (std::uint64_t i = 0; i < extent.count; ++i)
          array.push_back(build(referenceAt(extent.payload, i)));
        return PlistValue(std::move(array));
      }
      default: {
        const Extent extent = extentAt(pos);
        PlistDictionary dictionary;
        for (std::uint64_t i = 0; i < extent.count; ++i) {
          // Keys usually arrive sorted, which makes the end the right hint. A repeated key
          // replaces the earlier value, as in every other reader.
          dictionary.insert_or_assign(dictionary.end(),
                                      text(offsetOf(referenceAt(extent.payload, i))),
                                      build(referenceAt(extent.payload, extent.count + i)));
        }
        return PlistValue(std::move(dictionary));
      }
    }
  }

  std::string text(std::uint64_t pos) const {
    const Extent extent = extentAt(pos);
    const char* begin = reinterpret_cast<const char*>(data_ + extent.payload);
    if (typeOf(data_[pos]) == kAscii) return std::string(begin, extent.count);
    std::string utf8;
    utf8.reserve(extent.count);
    for (std::uint64_t i = 0; i < extent.count; ++i) {
      auto codePoint = static_cast<char32_t>(readUnsigned(extent.payload + i * 2, 2));
      if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
        const auto low = static_cast<char32_t>(readUnsigned(extent.payload + ++i * 2, 2));
        codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
      }
      appendUtf8(utf8, codePoint);
    }
    return utf8;
  }

  const std::uint8_t* data_;
  std::uint64_t size_;
  unsigned offsetSize_ = 0;
  unsigned refSize_ = 0;
  std::uint64_t objectCount_ = 0;
  std::uint64_t top_ = 0;
  std::uint64_t offsetTable_ = 0;
  std::vector<Object> objects_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> extents_;
};

}  // namespace

std::variant<PlistValue, PlistDecodeError> readBinaryPlist(const std::uint8_t* data,
                                                           std::size_t size) {
  return Reader(data, size).read();
}

}  // namespace platform
