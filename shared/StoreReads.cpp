#include "shared/StoreReads.h"

namespace plovane {

using platform::PlistArray;
using platform::PlistValue;

std::optional<PlistValue> readObject(platform::NSUserDefaults* handle, const std::string& key) {
  if (handle == nullptr) return std::nullopt;
  return handle->objectForKey(key);
}

bool readBool(platform::NSUserDefaults* handle, const std::string& key, bool fallback) {
  return readWhole<bool>(handle, key).value_or(fallback);
}

namespace {

template <class T>
std::optional<std::vector<std::optional<T>>> readElements(platform::NSUserDefaults* handle,
                                                          const std::string& key) {
  auto array = readWhole<PlistArray>(handle, key);
  if (!array) return std::nullopt;
  std::vector<std::optional<T>> elements;
  elements.reserve(array->size());
  for (const auto& element : *array) {
    elements.push_back(element.is<T>() ? std::optional<T>(*element.as<T>()) : std::nullopt);
  }
  return elements;
}

}  // namespace

std::optional<std::vector<std::optional<std::string>>> readStringElements(
    platform::NSUserDefaults* handle, const std::string& key) {
  return readElements<std::string>(handle, key);
}

std::optional<std::vector<std::optional<std::int64_t>>> readIntegerElements(
    platform::NSUserDefaults* handle, const std::string& key) {
  return readElements<std::int64_t>(handle, key);
}

void writeObject(platform::NSUserDefaults* handle, PlistValue value, const std::string& key) {
  if (handle != nullptr) handle->setObject(std::move(value), key);
}

void synchronize(platform::NSUserDefaults* handle) {
  if (handle != nullptr) handle->synchronize();
}

}  // namespace plovane
