#pragma once

#include <memory>

#include "app/AppInstances.h"
#include "platform/NSApplication.h"
#include "platform/NSStoryboard.h"
#include "platform/Platform.h"

namespace plovane::app {

// What the delegate and the storyboard wire the settings app from: the platform's services, the
// application object, and the app-wide single instances. Each part gets only what it uses.
class AppContext final : public AppInstances {
 public:
  AppContext(platform::Platform& services, platform::NSApplication& application);
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  platform::Platform& platform;
  platform::NSApplication& application;
  // The bookmarks of the monitored folders added in this run, stored as "allBookmark".
  platform::PlistArray allBookmarks;

  platform::NSStoryboard& storyboard();
  std::shared_ptr<mainStartWindow> mainWindowController() override;
  std::shared_ptr<firstRunvc> firstRunViewController() override;
  std::shared_ptr<tabviewcontroller> tabViewController() override;
  std::shared_ptr<UtilityKitWindow> utilityKitWindowController() override;
  std::shared_ptr<utilityKitvc> utilityKitViewController() override;
  MailAttachmentComposer& mailComposer() override;

 private:
  template <class Controller>
  std::shared_ptr<Controller> single(std::shared_ptr<Controller>& kept, const char* identifier);

  std::unique_ptr<platform::NSStoryboard> storyboard_;
  std::unique_ptr<MailAttachmentComposer> mailComposer_;
  std::shared_ptr<mainStartWindow> mainWindow_;
  std::shared_ptr<firstRunvc> firstRun_;
  std::shared_ptr<tabviewcontroller> tabs_;
  std::shared_ptr<UtilityKitWindow> utilityKit_;
  std::shared_ptr<utilityKitvc> utilityKitContent_;
};

}  // namespace plovane::app
