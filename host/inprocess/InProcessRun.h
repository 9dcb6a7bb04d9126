#pragma once

#include "host/commandline/CommandLine.h"

namespace plovane::host {

// What the user is told each time the extension runs in this process, on simulated services.
inline constexpr char kInProcessNotice[] =
    "plovane-finder: no session bus, so the extension runs inside this command on simulated "
    "services: files really change, but launches, opens, reveals, the wallpaper, e-mail, scripts, "
    "notifications and the clipboard are only printed, not done, and its waits take no time";

// `menu` and `choose` where there is no session bus: the extension hosted in this process
// against the real store, its modals answered from the request. Says so first, in
// kInProcessNotice on standard error.
int runInProcess(const Request& request);

}  // namespace plovane::host
