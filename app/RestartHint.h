#pragma once

#include <string>
#include <vector>

#include "platform/NSControl.h"
#include "platform/NSWorkspace.h"
#include "platform/RunLoop.h"

namespace plovane::app {

// The line that tells which file managers run without the extension's module and how they get
// it; empty when none does.
std::string restartHint(const std::vector<std::string>& fileManagers);

// Asks the workspace on the global queue, as the extension-running check does, and shows the
// line in `hint` on the main queue, hidden while there is nothing to say.
void showRestartHint(platform::RunLoop& runLoop, platform::NSWorkspace& workspace,
                     platform::NSTextField& hint);

}  // namespace plovane::app
