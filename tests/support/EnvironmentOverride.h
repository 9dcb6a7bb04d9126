#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace plovane::testing {

// Sets an environment variable for the life of the object, then restores what was there.
class EnvironmentOverride {
 public:
  EnvironmentOverride(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* saved = std::getenv(name_.c_str())) saved_ = saved;
    setenv(name_.c_str(), value.c_str(), 1);
  }
  ~EnvironmentOverride() {
    saved_ ? setenv(name_.c_str(), saved_->c_str(), 1) : unsetenv(name_.c_str());
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace plovane::testing
