#pragma once

#include <string>
#include <vector>

#include "platform/Modals.h"
#include "platform/NSAlert.h"
#include "platform/NSFileManager.h"
#include "platform/NSWorkspace.h"
#include "platform/Responder.h"
#include "platform/RunLoop.h"
#include "shared/CommandCatalogue.h"

namespace plovane {

// Starts a companion tool found in the system's Applications folder, or offers to install it
// from the App Store when it is not there.
class CompanionTools {
 public:
  // The offers' buttons send the tools' accept and decline actions to `buttonsTarget`, which
  // hands them back to closeOffer().
  // What it works with: where tools are installed, what starts them, and the offer's modals.
  struct Services {
    platform::RunLoop& runLoop;
    const platform::NSFileManager& fileManager;
    platform::NSWorkspace& workspace;
    platform::Modals& modals;
  };

  CompanionTools(Services services, platform::Responder& buttonsTarget);
  // Its deferred blocks refer to it.
  CompanionTools(const CompanionTools&) = delete;
  CompanionTools& operator=(const CompanionTools&) = delete;

  // The offer waits for the main queue, so the file manager's menu has closed before it shows.
  void open(const CompanionTool& tool);
  void closeOffer(const CompanionTool& tool, bool openStorePage);

  // The tool's latest install offer; null for a tool no command of the catalogue starts.
  const platform::NSAlert* offerOf(const CompanionTool& tool) const;

 private:
  // Where the latest install offer of one tool is held, so that its buttons' actions, which run
  // later, end the offer that is on screen.
  struct Offer {
    const CompanionTool* tool;
    platform::NSAlert alert;
  };

  bool lookUpAndStart(const std::string& bundleIdentifier);
  void offer(const CompanionTool& tool);
  platform::NSAlert* heldOffer(const CompanionTool& tool);

  Services services_;
  platform::Responder& buttonsTarget_;
  // One per catalogue command that has a companion tool, so a new tool is only its row.
  std::vector<Offer> offers_;
};

}  // namespace plovane
