#pragma once

#include "host/commandline/CommandLine.h"

namespace plovane::host {

// `menu` and `choose` asked of the running extension over the session bus, which starts it on
// demand.
int runOverBus(const Request& request);

}  // namespace plovane::host
