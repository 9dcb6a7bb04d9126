#pragma once

#include "app/AppContext.h"
#include "platform/NSWindow.h"

namespace plovane::app {

// The main window: onboarding or the settings tabs, chosen once per process; closing it ends
// the app. It hears the extension's requests for the other-apps window and for mail.
class mainStartWindow final : public platform::NSWindowController,
                              public platform::NSWindowDelegate {
 public:
  explicit mainStartWindow(AppContext& context) : context_(context) {}

  void windowDidLoad() override;
  void windowWillClose(platform::NSWindow& window) override;

  void showUtilityKit();
  void AttachFileToMail();

 private:
  void chooseContent();
  void observeExtension();

  AppContext& context_;
};

}  // namespace plovane::app
