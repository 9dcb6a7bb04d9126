#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// 2001-01-01T00:00:00Z, where property-list dates count from, in Unix time.
inline constexpr double kPlistEpochUnixSeconds = 978307200.0;

// A moment as the property-list format counts it: seconds since 2001-01-01T00:00:00Z.
struct PlistDate {
  double secondsSince2001 = 0;
  friend bool operator==(const PlistDate&, const PlistDate&) = default;
};

class PlistValue;
using PlistData = std::vector<std::uint8_t>;
using PlistArray = std::vector<PlistValue>;
using PlistDictionary = std::map<std::string, PlistValue>;

// One property-list value. Boolean and integer are distinct types, as they are in the
// file format; equality is deep.
class PlistValue {
 public:
  using Storage = std::variant<std::string, std::int64_t, double, bool, PlistDate, PlistData,
                               PlistArray, PlistDictionary>;

  PlistValue() : storage_(PlistDictionary{}) {}
  PlistValue(std::string value) : storage_(std::move(value)) {}
  PlistValue(const char* value) : storage_(std::string(value)) {}
  PlistValue(std::int64_t value) : storage_(value) {}
  PlistValue(int value) : storage_(std::int64_t{value}) {}
  PlistValue(double value) : storage_(value) {}
  PlistValue(bool value) : storage_(value) {}
  PlistValue(PlistDate value) : storage_(value) {}
  PlistValue(PlistData value) : storage_(std::move(value)) {}
  PlistValue(PlistArray value) : storage_(std::move(value)) {}
  PlistValue(PlistDictionary value) : storage_(std::move(value)) {}

  // The value as T, or nullptr when it holds another type.
  template <class T>
  const T* as() const {
    return std::get_if<T>(&storage_);
  }
  template <class T>
  T* as() {
    return std::get_if<T>(&storage_);
  }
  template <class T>
  bool is() const {
    return std::holds_alternative<T>(storage_);
  }

  const Storage& storage() const { return storage_; }

  friend bool operator==(const PlistValue&, const PlistValue&) = default;

 private:
  Storage storage_;
};

}  // namespace platform
