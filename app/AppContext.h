#pragma once

#include <memory>

#include "platform/NSApplication.h"
#include "platform/NSStoryboard.h"
#include "platform/NSUserDefaults.h"
#include "platform/Platform.h"

namespace plovane::app {

class firstRunvc;
class MailAttachmentComposer;
class mainStartWindow;
class tabviewcontroller;
class UtilityKitWindow;
class utilityKitvc;

// What every part of the settings app reaches: the platform's services, the application
// object, and the app-wide single instances, each made from the storyboard on first use and
// kept for the life of the process.
class AppContext {
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
  std::shared_ptr<mainStartWindow> mainWindowController();
  std::shared_ptr<firstRunvc> firstRunViewController();
  std::shared_ptr<tabviewcontroller> tabViewController();
  std::shared_ptr<UtilityKitWindow> utilityKitWindowController();
  std::shared_ptr<utilityKitvc> utilityKitViewController();
  MailAttachmentComposer& mailComposer();

  // The shared suite, absent when it cannot be opened.
  std::shared_ptr<platform::NSUserDefaults> openSharedDefaults();
  // The app's own defaults, where "firstRun" lives.
  std::shared_ptr<platform::NSUserDefaults> standardUserDefaults();

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
