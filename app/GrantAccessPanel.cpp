#include "app/GrantAccessPanel.h"

#include "platform/NSUserName.h"

namespace plovane::app {

std::shared_ptr<platform::NSOpenPanel> makeGrantAccessPanel(bool allowsMultipleSelection) {
  auto panel = std::make_shared<platform::NSOpenPanel>();
  panel->showsHiddenFiles = false;
  panel->canChooseFiles = false;
  panel->canChooseDirectories = true;
  panel->treatsFilePackagesAsDirectories = false;
  panel->allowsMultipleSelection = allowsMultipleSelection;
  panel->directoryURL = platform::NSURL::fileURLWithPath("/");
  panel->allowedFileTypes = std::vector{platform::NSUserName()};
  panel->allowsOtherFileTypes = false;
  panel->prompt = "Grant Access";
  return panel;
}

}  // namespace plovane::app
