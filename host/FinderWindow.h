#pragma once

#include "host/CommandLine.h"

namespace plovane::host {

// The stand-in's window: a folder listing whose context menu inside the directory set is the
// extension's menu. Runs until the window is closed.
int runWindow(const Request& request, int& argc, char** argv);

}  // namespace plovane::host
