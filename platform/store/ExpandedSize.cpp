#include "store/ExpandedSize.h"

namespace platform {
namespace {

void count(const PlistValue& value, PlistCensus& census) {
  ++census.values;
  if (const auto* text = value.as<std::string>()) {
    ++census.leaves;
    census.expandedBytes += countedBytes(text->size());
  } else if (const auto* data = value.as<PlistData>()) {
    ++census.leaves;
    census.expandedBytes += countedBytes(data->size());
  } else if (const auto* array = value.as<PlistArray>()) {
    census.expandedBytes += kCountedValueBytes;
    census.references += array->size();
    for (const PlistValue& item : *array) count(item, census);
  } else if (const auto* dictionary = value.as<PlistDictionary>()) {
    census.expandedBytes += kCountedValueBytes;
    census.references += 2 * dictionary->size();
    census.values += dictionary->size();
    for (const auto& [key, item] : *dictionary) {
      census.expandedBytes += countedBytes(key.size());
      count(item, census);
    }
  } else {
    // The two booleans are written once each without the leaf table.
    if (value.as<bool>() == nullptr) ++census.leaves;
    census.expandedBytes += kCountedValueBytes;
  }
}

}  // namespace

PlistCensus censusOf(const PlistValue& value) {
  PlistCensus census;
  count(value, census);
  return census;
}

}  // namespace platform
