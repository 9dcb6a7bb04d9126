#pragma once

#include "platform/NSSharingService.h"

namespace platform::desktop {

// Composes mail the freedesktop way: `xdg-email --attach FILE`, started in a session of its own
// so that the mail client outlives this program, and judged by how it ends within 2 seconds
// (one still running has handed the message to a client that stays).
class XdgEmail final : public NSSharingService {
 public:
  std::optional<std::string> performWithItems(const std::vector<NSURL>& items) override;
};

}  // namespace platform::desktop
