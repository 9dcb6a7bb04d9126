#pragma once

#include <array>
#include <string>

#include "platform/NSAlert.h"
#include "platform/Platform.h"
#include "platform/Responder.h"
#include "shared/CommandCatalogue.h"

namespace plovane {

// Starts a companion tool found in the system's Applications folder, or offers to install it
// from the App Store when it is not there.
class CompanionTools {
 public:
  // Where the latest install offer of one tool is held, so that its buttons' actions, which run
  // later, end the offer that is on screen.
  struct OfferSlot {
    const CompanionTool* tool;
    platform::NSAlert* alert;
  };

  // The offers' buttons send the tools' accept and decline actions to `buttonsTarget`, which
  // hands them back to closeOffer().
  CompanionTools(platform::Platform& platform, platform::Responder& buttonsTarget,
                 std::array<OfferSlot, 4> offers);

  // The offer waits for the main queue, so the file manager's menu has closed before it shows.
  void open(const CompanionTool& tool);
  void closeOffer(const CompanionTool& tool, bool openStorePage);

 private:
  bool lookUpAndStart(const std::string& bundleIdentifier);
  void offer(const CompanionTool& tool);
  // Null for a tool without a slot.
  platform::NSAlert* offerOf(const CompanionTool& tool);

  platform::Platform& platform_;
  platform::Responder& buttonsTarget_;
  std::array<OfferSlot, 4> offers_;
};

}  // namespace plovane
