#pragma once

#include <memory>

namespace plovane::app {

class firstRunvc;
class MailAttachmentComposer;
class mainStartWindow;
class tabviewcontroller;
class UtilityKitWindow;
class utilityKitvc;

// The app-wide single instances, each made from the storyboard on first use and kept for the
// life of the process: what the windows hand each other.
class AppInstances {
 public:
  virtual std::shared_ptr<mainStartWindow> mainWindowController() = 0;
  virtual std::shared_ptr<firstRunvc> firstRunViewController() = 0;
  virtual std::shared_ptr<tabviewcontroller> tabViewController() = 0;
  virtual std::shared_ptr<UtilityKitWindow> utilityKitWindowController() = 0;
  virtual std::shared_ptr<utilityKitvc> utilityKitViewController() = 0;
  virtual MailAttachmentComposer& mailComposer() = 0;

 protected:
  ~AppInstances() = default;
};

}  // namespace plovane::app
