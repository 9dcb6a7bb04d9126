#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/NSUserDefaults.h"

// The one way every reader of the shared store reads a typed value: an absent handle or an
// absent key is absent; a value of another type is absent (whole-value readers) or, for the
// lists read element by element, an element of another type is absent in its position.
namespace plovane {

std::optional<platform::PlistValue> readObject(platform::NSUserDefaults* handle,
                                               const std::string& key);

template <class T>
std::optional<T> readWhole(platform::NSUserDefaults* handle, const std::string& key) {
  auto value = readObject(handle, key);
  if (!value || !value->is<T>()) return std::nullopt;
  return *value->as<T>();
}

bool readBool(platform::NSUserDefaults* handle, const std::string& key, bool fallback);

// Absent when the key is absent or holds no array.
std::optional<std::vector<std::optional<std::string>>> readStringElements(
    platform::NSUserDefaults* handle, const std::string& key);
std::optional<std::vector<std::optional<std::int64_t>>> readIntegerElements(
    platform::NSUserDefaults* handle, const std::string& key);

// Writes skipped when the store could not be opened.
void writeObject(platform::NSUserDefaults* handle, platform::PlistValue value,
                 const std::string& key);
void synchronize(platform::NSUserDefaults* handle);

}  // namespace plovane
