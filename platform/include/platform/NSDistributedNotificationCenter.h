#pragma once

#include <functional>
#include <string>

namespace platform {

// Notifications between processes: a name and an object string, no user info.
class NSDistributedNotificationCenter {
 public:
  using Observer = std::function<void()>;
  virtual ~NSDistributedNotificationCenter() = default;
  virtual void postNotificationName(const std::string& name, const std::string& object) = 0;
  // Calls `observer` on the main queue for each post of `name` with exactly `object`.
  virtual void addObserver(const std::string& name, const std::string& object,
                           Observer observer) = 0;
};

}  // namespace platform
