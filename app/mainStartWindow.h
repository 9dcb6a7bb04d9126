#pragma once

#include "app/AppInstances.h"
#include "platform/Modals.h"
#include "platform/NSApplication.h"
#include "platform/NSDistributedNotificationCenter.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSWindow.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// The main window: onboarding or the settings tabs, chosen once per process; closing it ends
// the app. It hears the extension's requests for the other-apps window and for mail.
class mainStartWindow final : public platform::NSWindowController,
                              public platform::NSWindowDelegate {
 public:
  // What it works with: the stores it tells the troubles of, the extension's requests, and the
  // application it quits and brings forward.
  struct Services {
    platform::UserDefaultsRoot& defaults;
    platform::SystemLog& log;
    platform::Modals& modals;
    platform::NSDistributedNotificationCenter& notificationCenter;
    platform::NSApplication& application;
  };

  // Its content and the other-apps window come from `instances`.
  mainStartWindow(Services services, AppInstances& instances)
      : services_(services), instances_(instances) {}

  void windowDidLoad() override;
  void windowWillClose(platform::NSWindow& window) override;

  void showUtilityKit();
  void AttachFileToMail();

 private:
  void chooseContent();
  void observeExtension();

  Services services_;
  AppInstances& instances_;
};

}  // namespace plovane::app
