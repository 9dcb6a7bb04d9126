// The settings app. It owns its bundle identifier on the session bus; a second start brings the
// running one forward. Its windows are Qt widgets at a display and drawn offscreen without one.
#include <iostream>

#include "app/AppContext.h"
#include "app/AppDelegate.h"
#include "desktop/ApplicationHost.h"
#include "desktop/ProgramStart.h"
#include "platform/NSBundle.h"

namespace {

constexpr char kUsage[] = "usage: plovane-menu [--home FOLDER]\n";

// The app's objects for the life of the process.
class SettingsApp final : public platform::desktop::HostedApplication {
 public:
  SettingsApp(platform::Platform& services, platform::NSApplication& application)
      : context_(services, application), delegate_(context_) {
    application.delegate = &delegate_;
    application.mainMenu = plovane::app::AppDelegate::applicationMenu();
  }

 private:
  plovane::app::AppContext context_;
  plovane::app::AppDelegate delegate_;
};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!platform::desktop::takeHomeArgument(i, argc, argv)) {
      std::cerr << kUsage;
      return 2;
    }
  }
  auto bundle = platform::desktop::runningProgramBundle("plovane-menu");
  if (!bundle) return 1;
  try {
    return platform::desktop::runApplicationHost(
        argc, argv, *bundle,
        [](platform::Platform& services, platform::NSApplication& application) {
          return std::make_unique<SettingsApp>(services, application);
        });
  } catch (const platform::NSStoryboardError& error) {
    std::cerr << "plovane-menu: " << error.what() << "\n";
    return 1;
  }
}
