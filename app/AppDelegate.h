#pragma once

#include <string>

#include "app/AppContext.h"
#include "platform/NSApplication.h"

namespace plovane::app {

// The application's delegate: runs the launch sequence and answers the application menu.
class AppDelegate final : public platform::NSApplicationDelegate {
 public:
  explicit AppDelegate(AppContext& context) : context_(context) {}

  void applicationWillFinishLaunching(platform::NSApplication& application) override;
  bool performSelector(const std::string& selector, const platform::NSMenuItem* sender) override;

  void QuitMainApp();
  // Selects the About tab; what the main window shows stays as it is.
  void menuItem_aboutCLicked(const platform::NSMenuItem* sender);

  // The application menu: its About item sends menuItem_aboutCLicked: here.
  static platform::NSMenu applicationMenu();

 private:
  void openMainWindow();
  void hearExtensionWhileMailOnly();

  AppContext& context_;
};

}  // namespace plovane::app
