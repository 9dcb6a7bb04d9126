#pragma once

#include "desktop/HostDirectorySet.h"
#include "platform/NSUserDefaults.h"
#include "platform/RunLoop.h"
#include "platform/Scripting.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// Linux has no scripting host. The scripts this system runs are done the nearest real way: a
// delay sleeps, the file manager's show-hidden-files keystroke flips that display in the file
// manager that asked (its own setting, or the stand-in's defaults); everything else fails. Each
// stand-in writes one line saying so.
class DesktopAppleScript final : public NSAppleScript {
 public:
  DesktopAppleScript(UserDefaultsRoot& defaults, const HostDirectorySet& requests, RunLoop& runLoop,
                     SystemLog& log)
      : defaults_(defaults), requests_(requests), runLoop_(runLoop), log_(log) {}

  bool executeSource(const std::string& source) override;

 private:
  bool toggleHiddenFiles();
  bool toggleStandInHiddenFiles();

  UserDefaultsRoot& defaults_;
  const HostDirectorySet& requests_;
  RunLoop& runLoop_;
  SystemLog& log_;
};

}  // namespace platform::desktop
