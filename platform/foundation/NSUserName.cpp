#include "platform/NSUserName.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace platform {

std::string NSUserName() {
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr) {
    return found->pw_name;
  }
  // A user missing from the password database still has a number.
  return std::to_string(geteuid());
}

}  // namespace platform
