#include "app/AppContext.h"

#include "app/MailAttachmentComposer.h"
#include "app/MainStoryboard.h"
#include "app/UtilityKitWindow.h"
#include "app/firstRunvc.h"
#include "app/mainStartWindow.h"
#include "app/tabviewcontroller.h"
#include "app/utilityKitvc.h"

namespace plovane::app {

AppContext::AppContext(platform::Platform& services, platform::NSApplication& app)
    : platform(services), application(app) {}

AppContext::~AppContext() = default;

platform::NSStoryboard& AppContext::storyboard() {
  if (!storyboard_)
    storyboard_ = std::make_unique<platform::NSStoryboard>(makeMainStoryboard(*this));
  return *storyboard_;
}

template <class Controller>
std::shared_ptr<Controller> AppContext::single(std::shared_ptr<Controller>& kept,
                                               const char* identifier) {
  if (!kept) kept = storyboard().instantiateControllerWithIdentifier<Controller>(identifier);
  return kept;
}

std::shared_ptr<mainStartWindow> AppContext::mainWindowController() {
  return single(mainWindow_, storyboard::mainStartWindow);
}

std::shared_ptr<firstRunvc> AppContext::firstRunViewController() {
  return single(firstRun_, storyboard::firstRunvc);
}

std::shared_ptr<tabviewcontroller> AppContext::tabViewController() {
  return single(tabs_, storyboard::tabviewcontroller);
}

std::shared_ptr<UtilityKitWindow> AppContext::utilityKitWindowController() {
  return single(utilityKit_, storyboard::UtilityKitWindow);
}

std::shared_ptr<utilityKitvc> AppContext::utilityKitViewController() {
  return single(utilityKitContent_, storyboard::utilityKitvc);
}

MailAttachmentComposer& AppContext::mailComposer() {
  if (!mailComposer_) {
    mailComposer_ = std::make_unique<MailAttachmentComposer>(
        MailAttachmentComposer::Services{platform.defaults, platform.runLoop, platform.modals,
                                         platform.composeEmail, platform.log, application});
  }
  return *mailComposer_;
}

}  // namespace plovane::app
