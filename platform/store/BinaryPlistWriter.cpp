#include "store/BinaryPlistWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "store/BinaryPlistFormat.h"
#include "store/ExpandedSize.h"
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

// Writes `value` big-endian in `width` bytes at `at`; returns the byte after them.
std::uint8_t* putBigEndian(std::uint8_t* at, std::uint64_t value, unsigned width) {
  for (unsigned i = width; i-- > 0;) *at++ = static_cast<std::uint8_t>(value >> (8 * i));
  return at;
}

void putUnsigned(Bytes& out, std::uint64_t value, unsigned width) {
  std::uint8_t bytes[8];
  out.insert(out.end(), bytes, putBigEndian(bytes, value, width));
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

// What the format cannot carry, said once for the writer and for the check before a write.
// Other readers take texts as C strings, and the format holds only Unicode text.
std::optional<std::string> textProblem(const std::string& text, std::string_view what,
                                       bool& ascii) {
  if (text.find('\0') != std::string::npos) return std::string(what) + " contains a NUL character";
  unsigned char allBits = 0;
  for (const char c : text) allBits |= static_cast<unsigned char>(c);
  ascii = allBits < 0x80;
  if (!ascii && !isValidUtf8(text)) return std::string(what) + " is not valid UTF-8";
  return std::nullopt;
}

std::optional<std::string> scalarProblem(const PlistValue& value) {
  if (const auto* text = value.as<std::string>()) {
    bool ascii = false;
    return textProblem(*text, "string", ascii);
  }
  if (const auto* date = value.as<PlistDate>(); date && !isPlistDateInRange(date->secondsSince2001))
    return "date outside 1932-12-13 to 2069-01-19";
  return std::nullopt;
}

constexpr std::string_view kTooDeep = "nested deeper than 32 levels";

std::optional<std::string> problemIn(const PlistValue& value, int depth) {
  const auto* array = value.as<PlistArray>();
  const auto* dictionary = value.as<PlistDictionary>();
  if (array == nullptr && dictionary == nullptr) return scalarProblem(value);
  if (depth + 1 > kMaxPlistNesting) return std::string(kTooDeep);
  if (array != nullptr) {
    for (const PlistValue& item : *array) {
      if (auto problem = problemIn(item, depth + 1)) return problem;
    }
    return std::nullopt;
  }
  for (const auto& [key, item] : *dictionary) {
    bool ascii = false;
    if (auto problem = textProblem(key, "key", ascii)) return problem;
  }
  for (const auto& [key, item] : *dictionary) {
    if (auto problem = problemIn(item, depth + 1)) return problem;
  }
  return std::nullopt;
}

// Writes `value` big-endian in `width` bytes at `at`, `width` being 1, 2 or 4 as most tables
// are; returns the byte after them.
std::uint8_t* putNarrow(std::uint8_t* at, std::uint32_t value, unsigned width) {
  switch (width) {
    case 1:
      *at = static_cast<std::uint8_t>(value);
      return at + 1;
    case 2:
      at[0] = static_cast<std::uint8_t>(value >> 8);
      at[1] = static_cast<std::uint8_t>(value);
      return at + 2;
    default:
      return putBigEndian(at, value, width);
  }
}

// Objects and references are counted in 32 bits: a value the store accepts expands to at most
// 1 MiB, far below that.
using Index = std::uint32_t;

}  // namespace

// The same value always gives the same bytes: objects come in depth-first order, and equal texts,
// numbers, dates and data are written once. Fails (with a reason) for texts the format cannot
// carry, dates outside the store's range and nesting deeper than the store reads.
class BinaryPlistEncoder::Writer {
 public:
  std::variant<std::span<const std::uint8_t>, std::string> write(const PlistValue& root,
                                                                 const PlistCensus& census) {
    makeRoomFor(census);
    add(root, 0);
    if (error_) return *error_;
    const unsigned refSize = widthFor(objects_.size() - 1);
    const std::uint64_t table = kMagic.size() + arena_.size() + refs_.size() * refSize;
    // Objects are written in order, so the last one's offset is the largest.
    const Object& last = objects_.back();
    const unsigned offsetSize = widthFor(table - last.size - last.refCount * refSize);
    // Sized once and filled in place: a large domain's file is written without growing.
    out_.resize(table + objects_.size() * offsetSize + kTrailerBytes);
    std::uint8_t* at = std::copy(kMagic.begin(), kMagic.end(), out_.data());
    std::uint8_t* offset = out_.data() + table;
    // The objects' bytes lie in the arena one after another, in order: the file is the arena
    // with each container's references put in after its header, so the leaves between two
    // containers are copied at once.
    std::size_t copied = 0;
    for (const Object& object : objects_) {
      offset = putBigEndian(
          offset, static_cast<std::uint64_t>(at - out_.data()) + object.start - copied, offsetSize);
      if (object.refCount == 0) continue;
      const std::size_t end = object.start + object.size;
      at = std::copy(arena_.data() + copied, arena_.data() + end, at);
      copied = end;
      const Index* ref = refs_.data() + object.firstRef;
      for (const Index* refsEnd = ref + object.refCount; ref != refsEnd; ++ref)
        at = putNarrow(at, *ref, refSize);
    }
    std::copy(arena_.data() + copied, arena_.data() + arena_.size(), at);
    std::uint8_t* trailer = std::fill_n(offset, kTrailerUnusedBytes, 0);
    *trailer++ = static_cast<std::uint8_t>(offsetSize);
    *trailer++ = static_cast<std::uint8_t>(refSize);
    trailer = putBigEndian(trailer, objects_.size(), kTrailerNumberBytes);
    trailer = putBigEndian(trailer, 0, kTrailerNumberBytes);  // the root comes first
    putBigEndian(trailer, table, kTrailerNumberBytes);
    return std::span<const std::uint8_t>(out_);
  }

 private:
  // Room for all of `census` from the start: objects and references never grow, and the arena,
  // guessed at the expanded size, holds most domains without growing either. The leaf table holds
  // the leaves at most half full; keys, mostly shared by the dictionaries of a list, seldom
  // make it grow.
  void makeRoomFor(const PlistCensus& census) {
    arena_.clear();
    objects_.clear();
    refs_.clear();
    lastKeys_.clear();
    flags_ = {kEmpty, kEmpty};
    error_.reset();
    arena_.reserve(census.expandedBytes);
    objects_.reserve(census.values);
    refs_.reserve(census.references);
    leafSlots_.assign(std::bit_ceil(std::max<std::size_t>(16, 2 * census.leaves)), LeafSlot{});
    leafCount_ = 0;
  }

  // A leaf's whole encoding, or a container's header and its elements' indexes: where its bytes
  // lie in `arena_` and its references in `refs_`. One buffer for all of them keeps a large
  // domain from costing an allocation per object.
  struct Object {
    Index start = 0;
    Index size = 0;
    Index firstRef = 0;
    Index refCount = 0;
  };

  // Each distinct leaf is written once: an open-addressing table of the leaves' objects by the
  // hash of their encoding, which lives in the arena; never more than half full.
  struct LeafSlot {
    std::uint32_t hash = 0;
    Index object = kEmpty;
  };
  static constexpr Index kEmpty = ~Index{0};

  std::string_view bytesOf(Index object) const {
    return {reinterpret_cast<const char*>(arena_.data()) + objects_[object].start,
            objects_[object].size};
  }

  // Most leaves are a few bytes long: eight at a time, the tail byte by byte.
  static std::uint32_t hashOf(std::string_view bytes) {
    std::uint64_t h = bytes.size() * 0x9E3779B97F4A7C15ull;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + at, 8);
      h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
      h ^= h >> 31;
    }
    std::uint64_t tail = 0;
    for (; at < bytes.size(); ++at) tail = tail << 8 | static_cast<std::uint8_t>(bytes[at]);
    h = (h ^ tail) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(h >> 32);
  }

  // The leaf whose encoding was just appended to the arena from `start`: a new object, or the
  // one written before with the same bytes (the arena then cut back).
  Index addLeaf(std::size_t start) {
    const std::string_view bytes(reinterpret_cast<const char*>(arena_.data()) + start,
                                 arena_.size() - start);
    const std::uint32_t hash = hashOf(bytes);
    const std::size_t mask = leafSlots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      LeafSlot& slot = leafSlots_[at];
      if (slot.object == kEmpty) {
        const Index object = addObject(start, 0);
        slot = {hash, object};
        if (++leafCount_ * 2 > leafSlots_.size()) doubleLeafTable();
        return object;
      }
      if (slot.hash == hash && bytesOf(slot.object) == bytes) {
        arena_.resize(start);
        return slot.object;
      }
    }
  }

  void doubleLeafTable() {
    std::vector<LeafSlot> held(leafSlots_.size() * 2);
    held.swap(leafSlots_);
    const std::size_t mask = leafSlots_.size() - 1;
    for (const LeafSlot& slot : held) {
      if (slot.object == kEmpty) continue;
      std::size_t at = slot.hash & mask;
      while (leafSlots_[at].object != kEmpty) at = (at + 1) & mask;
      leafSlots_[at] = slot;
    }
  }

  // An object of the bytes appended to the arena from `start`, followed by `refCount`
  // references still to be filled in.
  Index addObject(std::size_t start, std::size_t refCount) {
    objects_.push_back(Object{static_cast<Index>(start), static_cast<Index>(arena_.size() - start),
                              static_cast<Index>(refs_.size()), static_cast<Index>(refCount)});
    refs_.resize(refs_.size() + refCount);
    return static_cast<Index>(objects_.size() - 1);
  }

  Index fail(std::string reason) {
    if (!error_) error_ = std::move(reason);
    return 0;
  }

  Index add(const PlistValue& value, int depth) {
    if (error_) return 0;
    if (const auto* array = value.as<PlistArray>()) return addArray(*array, depth);
    if (const auto* dictionary = value.as<PlistDictionary>())
      return addDictionary(*dictionary, depth);
    if (const auto* text = value.as<std::string>()) return addText(*text, "string");
    if (const auto* flag = value.as<bool>()) return addFlag(*flag);
    const std::size_t start = arena_.size();
    if (!encodeScalar(value)) return 0;
    return addLeaf(start);
  }

  // A list's entries are mostly switches: their two values are kept at hand, not looked up.
  Index addFlag(bool flag) {
    Index& object = flags_[flag ? 1 : 0];
    if (object == kEmpty) {
      const std::size_t start = arena_.size();
      arena_.push_back(flag ? kTrue : kFalse);
      object = addObject(start, 0);
    }
    return object;
  }

  void appendBytes(const void* bytes, std::size_t size) {
    const std::size_t end = arena_.size();
    arena_.resize(end + size);
    if (size != 0) std::memcpy(arena_.data() + end, bytes, size);
  }

  // ASCII as it is, anything else as UTF-16 big-endian.
  Index addText(const std::string& text, std::string_view what) {
    bool ascii = false;
    if (auto problem = textProblem(text, what, ascii)) return fail(std::move(*problem));
    const std::size_t start = arena_.size();
    if (ascii) {
      putHeader(arena_, kAscii, text.size());
      appendBytes(text.data(), text.size());
      return addLeaf(start);
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
    putHeader(arena_, kUtf16, units.size());
    for (const std::uint16_t unit : units) putUnsigned(arena_, unit, 2);
    return addLeaf(start);
  }

  // The dictionaries of a list mostly share their keys: a key equal to the one at the same
  // position in the last dictionary is that object again, without looking it up.
  Index addKey(const std::string& key, std::size_t position) {
    if (position < lastKeys_.size() && lastKeys_[position].first == key)
      return lastKeys_[position].second;
    const Index object = addText(key, "key");
    if (position < lastKeys_.size()) {
      lastKeys_[position] = {key, object};
    } else if (position == lastKeys_.size()) {
      lastKeys_.emplace_back(key, object);
    }
    return object;
  }

  // A container's object, its references still to be filled in.
  Index addContainer(Type type, std::size_t count, std::size_t refCount) {
    const std::size_t start = arena_.size();
    putHeader(arena_, type, count);
    return addObject(start, refCount);
  }

  Index addArray(const PlistArray& array, int depth) {
    if (depth + 1 > kMaxPlistNesting) return fail(std::string(kTooDeep));
    const Index index = addContainer(kArray, array.size(), array.size());
    std::size_t ref = objects_[index].firstRef;
    for (const PlistValue& item : array) {
      const Index element = add(item, depth + 1);
      refs_[ref++] = element;
    }
    return index;
  }

  Index addDictionary(const PlistDictionary& dictionary, int depth) {
    if (depth + 1 > kMaxPlistNesting) return fail(std::string(kTooDeep));
    const Index index = addContainer(kDictionary, dictionary.size(), dictionary.size() * 2);
    std::size_t ref = objects_[index].firstRef;
    std::size_t position = 0;
    for (const auto& [key, item] : dictionary) {
      const Index element = addKey(key, position++);
      refs_[ref++] = element;
    }
    for (const auto& [key, item] : dictionary) {
      const Index element = add(item, depth + 1);
      refs_[ref++] = element;
    }
    return index;
  }

  bool encodeScalar(const PlistValue& value) {
    if (const auto* number = value.as<std::int64_t>()) {
      // Eight bytes are read back as two's complement, fewer as unsigned.
      const auto bits = static_cast<std::uint64_t>(*number);
      putInteger(arena_, bits, *number < 0 ? 8 : widthFor(bits));
    } else if (const auto* real = value.as<double>()) {
      arena_.push_back(makeMarker(kReal, kEightBytes));
      putUnsigned(arena_, std::bit_cast<std::uint64_t>(*real), 8);
    } else if (const auto* date = value.as<PlistDate>()) {
      if (auto problem = scalarProblem(value)) {
        fail(std::move(*problem));
        return false;
      }
      arena_.push_back(kDateMarker);
      putUnsigned(arena_, std::bit_cast<std::uint64_t>(date->secondsSince2001), 8);
    } else if (const auto* data = value.as<PlistData>()) {
      putHeader(arena_, kData, data->size());
      appendBytes(data->data(), data->size());
    }
    return true;
  }

  Bytes arena_;
  Bytes out_;
  std::vector<Object> objects_;
  std::vector<Index> refs_;
  std::vector<LeafSlot> leafSlots_;
  std::size_t leafCount_ = 0;
  std::array<Index, 2> flags_{kEmpty, kEmpty};
  std::vector<std::pair<std::string_view, Index>> lastKeys_;
  std::optional<std::string> error_;
};

BinaryPlistEncoder::BinaryPlistEncoder() : writer_(std::make_unique<Writer>()) {}
BinaryPlistEncoder::~BinaryPlistEncoder() = default;
BinaryPlistEncoder::BinaryPlistEncoder(BinaryPlistEncoder&&) noexcept = default;
BinaryPlistEncoder& BinaryPlistEncoder::operator=(BinaryPlistEncoder&&) noexcept = default;

std::variant<std::span<const std::uint8_t>, std::string> BinaryPlistEncoder::encode(
    const PlistValue& value) {
  const PlistCensus census = censusOf(value);
  if (census.expandedBytes > kMaxPlistExpandedBytes) return std::string(kExpandsTooFar);
  auto encoded = writer_->write(value, census);
  if (const auto* bytes = std::get_if<std::span<const std::uint8_t>>(&encoded);
      bytes != nullptr && bytes->size() > kMaxPlistFileBytes)
    return std::string("it would take more than 1 MiB, the most a settings file may hold");
  return encoded;
}

std::optional<std::string> whyBinaryPlistCannotHold(const PlistValue& value) {
  return problemIn(value, 0);
}

}  // namespace platform
