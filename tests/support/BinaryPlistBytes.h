#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plovane::testing {

using Bytes = std::vector<std::uint8_t>;

// Lays out raw binary property-list objects (marker byte first) with two-byte offsets and
// one-byte references, as a hostile or foreign writer could.
inline Bytes assembleBinary(const std::vector<Bytes>& objects, std::uint8_t top = 0) {
  const std::string magic = "bplist00";
  Bytes out(magic.begin(), magic.end());
  std::vector<std::uint64_t> offsets;
  for (const Bytes& object : objects) {
    offsets.push_back(out.size());
    out.insert(out.end(), object.begin(), object.end());
  }
  const std::uint64_t table = out.size();
  for (const std::uint64_t offset : offsets) {
    out.push_back(static_cast<std::uint8_t>(offset >> 8));
    out.push_back(static_cast<std::uint8_t>(offset));
  }
  const auto put64 = [&](std::uint64_t v) {
    for (int shift = 56; shift >= 0; shift -= 8)
      out.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  out.insert(out.end(), 6, 0);
  out.push_back(2);  // offset size
  out.push_back(1);  // reference size
  put64(objects.size());
  put64(top);
  put64(table);
  return out;
}

// Objects `first`, `first + 1`, ...: each an array holding `fanOut` references to the next, the
// last one empty. With a fan-out of two, `depth` objects expand to 2^depth - 1 values.
inline std::vector<Bytes> arrayChain(int depth, int fanOut, std::uint8_t first = 0) {
  std::vector<Bytes> objects;
  for (int i = 0; i < depth - 1; ++i) {
    Bytes array{static_cast<std::uint8_t>(0xA0 | fanOut)};
    array.insert(array.end(), static_cast<std::size_t>(fanOut),
                 static_cast<std::uint8_t>(first + i + 1));
    objects.push_back(array);
  }
  objects.push_back(Bytes{0xA0});
  return objects;
}

}  // namespace plovane::testing
