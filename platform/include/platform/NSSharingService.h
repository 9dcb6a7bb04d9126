#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/NSURL.h"

namespace platform {

// The compose-email service: a new message in the user's mail client with the items attached.
class NSSharingService {
 public:
  virtual ~NSSharingService() = default;
  // Absent once the items were handed to the mail client; otherwise what went wrong, in words
  // for the user. Whether the message is then sent is never known.
  virtual std::optional<std::string> performWithItems(const std::vector<NSURL>& items) = 0;
};

}  // namespace platform
