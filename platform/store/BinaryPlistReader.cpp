#include "store/BinaryPlistReader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/ExpandedSize.h"
#include "store/PlistText.h"

namespace platform {
namespace {

constexpr std::size_t kTrailerBytes = 32;

enum Type : unsigned {
  kSimple = 0x0,
  kInteger = 0x1,
  kReal = 0x2,
  kDate = 0x3,
  kData = 0x4,
  kAscii = 0x5,
  kUtf16 = 0x6,
  kArray = 0xA,
  kDictionary = 0xD,
};

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
    if (size_ < 8 + 1 + kTrailerBytes) return "binary property list is truncated";
    if (std::memcmp(data_, "bplist00", 8) != 0) return "unsupported binary property list version";
    const std::uint64_t trailer = size_ - kTrailerBytes;
    offsetSize_ = data_[trailer + 6];
    refSize_ = data_[trailer + 7];
    objectCount_ = readUnsigned(trailer + 8, 8);
    top_ = readUnsigned(trailer + 16, 8);
    offsetTable_ = readUnsigned(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
      return "binary property list has a bad trailer";
    // Every object takes at least one byte, so the count is bounded by the file size.
    if (objectCount_ == 0 || objectCount_ > size_ || top_ >= objectCount_)
      return "binary property list has a bad object count";
    if (offsetTable_ < 9 || offsetTable_ > trailer ||
        objectCount_ > (trailer - offsetTable_) / offsetSize_)
      return "binary property list has a bad offset table";
    objects_.assign(objectCount_, Object{});
    if (auto error = visit(top_, 0)) return error;
    return checkNoOverlap();
  }

  // Reads the element count of a data, text or container object whose marker is at `pos`.
  std::optional<std::string> readExtent(std::uint64_t pos, Extent& extent) const {
    const unsigned info = data_[pos] & 0x0Fu;
    if (info != 0x0F) {
      extent = Extent{info, pos + 1};
      return std::nullopt;
    }
    if (!inObjects(pos + 1, 1)) return "binary property list is truncated";
    const std::uint8_t marker = data_[pos + 1];
    if ((marker >> 4) != kInteger || (marker & 0x0F) > 3)
      return "binary property list has a bad length";
    const unsigned width = 1u << (marker & 0x0Fu);
    if (!inObjects(pos + 2, width)) return "binary property list is truncated";
    extent = Extent{readUnsigned(pos + 2, width), pos + 2 + width};
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

    const std::uint64_t pos = offsetOf(index);
    if (pos < 8 || !inObjects(pos, 1)) return "binary property list has a bad object offset";
    const std::uint8_t marker = data_[pos];
    const unsigned info = marker & 0x0Fu;
    std::uint64_t bytes = kCountedValueBytes;
    int height = 0;
    std::uint64_t end = pos + 1;  // past the object's last byte

    switch (marker >> 4) {
      case kSimple:
        if (marker != 0x08 && marker != 0x09) return "unsupported object in binary property list";
        break;
      case kInteger: {
        if (info > 4) return "binary property list has a bad integer";
        const unsigned width = 1u << info;
        if (!inObjects(pos + 1, width)) return "binary property list is truncated";
        if (width == 16) {
          // Only the sign extension of a 64-bit value fits; larger values would wrap.
          const std::uint64_t high = readUnsigned(pos + 1, 8);
          const bool negative = (data_[pos + 9] & 0x80) != 0;
          if (high != (negative ? std::numeric_limits<std::uint64_t>::max() : 0))
            return "integer outside the 64-bit range";
        }
        end = pos + 1 + width;
        break;
      }
      case kReal:
        if (info != 2 && info != 3) return "binary property list has a bad real";
        if (!inObjects(pos + 1, std::uint64_t{1} << info))
          return "binary property list is truncated";
        end = pos + 1 + (std::uint64_t{1} << info);
        break;
      case kDate:
        if (marker != 0x33 || !inObjects(pos + 1, 8)) return "binary property list has a bad date";
        if (!isPlistDateInRange(std::bit_cast<double>(readUnsigned(pos + 1, 8))))
          return "date outside the supported range";
        end = pos + 9;
        break;
      case kData:
      case kAscii:
      case kUtf16: {
        Extent extent;
        if (auto error = readExtent(pos, extent)) return error;
        const bool utf16 = (marker >> 4) == kUtf16;
        if (utf16 && extent.count > std::numeric_limits<std::uint64_t>::max() / 2)
          return "binary property list is truncated";
        const std::uint64_t length = utf16 ? extent.count * 2 : extent.count;
        if (!inObjects(extent.payload, length)) return "binary property list is truncated";
        std::uint64_t decoded = length;
        if ((marker >> 4) == kAscii) {
          for (std::uint64_t i = 0; i < length; ++i) {
            const std::uint8_t c = data_[extent.payload + i];
            if (c == 0 || c >= 0x80) return "string is not valid ASCII";
          }
        } else if (utf16) {
          if (auto error = checkUtf16(extent, decoded)) return error;
        }
        bytes = countedBytes(decoded);
        end = extent.payload + length;
        break;
      }
      case kArray:
      case kDictionary: {
        if (depth + 1 > kMaxPlistNesting) return "nested deeper than 32 levels";
        Extent extent;
        if (auto error = readExtent(pos, extent)) return error;
        const bool dictionary = (marker >> 4) == kDictionary;
        if (extent.count > offsetTable_) return "binary property list is truncated";
        const std::uint64_t refs = dictionary ? extent.count * 2 : extent.count;
        if (!inObjects(extent.payload, refs * refSize_)) return "binary property list is truncated";
        end = extent.payload + refs * refSize_;
        for (std::uint64_t i = 0; i < refs; ++i) {
          const std::uint64_t ref = referenceAt(extent.payload, i);
          if (ref >= objectCount_) return "binary property list has a bad object reference";
          if (dictionary && i < extent.count) {
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
    if (pos < 8 || !inObjects(pos, 1)) return "binary property list has a bad object offset";
    const unsigned type = data_[pos] >> 4;
    if (type != kAscii && type != kUtf16) return "dictionary key is not a string";
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
    switch (marker >> 4) {
      case kSimple:
        return PlistValue(marker == 0x09);
      case kInteger: {
        // Eight bytes are two's complement, fewer unsigned; a 16-byte integer was checked to fit
        // in its low eight.
        const unsigned width = 1u << (marker & 0x0Fu);
        const unsigned used = std::min(width, 8u);
        return PlistValue(static_cast<std::int64_t>(readUnsigned(pos + 1 + (width - used), used)));
      }
      case kReal:
        if ((marker & 0x0F) == 2)
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
    if ((data_[pos] >> 4) == kAscii) return std::string(begin, extent.count);
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
