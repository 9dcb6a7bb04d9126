#include "store/ExpandedSize.h"

namespace platform {

std::uint64_t expandedBytes(const PlistValue& value) {
  if (const auto* text = value.as<std::string>()) return countedBytes(text->size());
  if (const auto* data = value.as<PlistData>()) return countedBytes(data->size());
  std::uint64_t total = kCountedValueBytes;
  if (const auto* array = value.as<PlistArray>()) {
    for (const PlistValue& item : *array) total += expandedBytes(item);
  } else if (const auto* dictionary = value.as<PlistDictionary>()) {
    for (const auto& [key, item] : *dictionary)
      total += countedBytes(key.size()) + expandedBytes(item);
  }
  return total;
}

}  // namespace platform
