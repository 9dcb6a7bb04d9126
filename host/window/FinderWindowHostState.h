#pragma once

#include <memory>
#include <set>

#include "desktop/HostDirectorySet.h"
#include "desktop/filemanagers/MenuSwitches.h"
#include "platform/NSUserDefaults.h"

namespace plovane::host {

// The window's view of the file manager's own defaults domain. Other programs change it while
// the window is open (the extension sets the directory set, its "show hidden files" command
// flips the display toggle), so every read goes to the store.
class FinderHostState {
 public:
  explicit FinderHostState(platform::UserDefaultsRoot& defaults);

  bool showsHiddenFiles();
  void setShowsHiddenFiles(bool shown);
  std::set<platform::NSURL> directoryURLs() const { return directorySet_.directoryURLs(); }
  // Whether the user left the extension's menu on in this file manager.
  bool showsExtensionMenu() { return switches_.isOn(platform::desktop::kStandInProgram); }

 private:
  std::shared_ptr<platform::NSUserDefaults> state_;
  platform::desktop::HostDirectorySet directorySet_;
  platform::desktop::MenuSwitches switches_;
};

}  // namespace plovane::host
