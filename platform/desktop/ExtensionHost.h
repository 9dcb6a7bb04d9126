#pragma once

#include <functional>
#include <memory>

#include "platform/FIFinderSync.h"
#include "platform/NSBundle.h"
#include "platform/Platform.h"

namespace platform::desktop {

using PrincipalFactory = std::function<std::unique_ptr<FIFinderSync>(Platform&)>;

// Hosts a file-manager extension for the session, as the system's extension host does: one
// principal object for the process's lifetime, its callbacks answered on the session bus under
// the bundle's identifier, dialogs at a display and scripted answers without one. Returns the
// process's exit status once it has been idle for a while ($PLOVANE_IDLE_EXIT_SECONDS, 60 s by
// default; the bus starts it again at the next call) or the session's bus is gone.
int runExtensionHost(int& argc, char** argv, const NSBundle& bundle,
                     const PrincipalFactory& makePrincipal);

}  // namespace platform::desktop
