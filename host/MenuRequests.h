#pragma once

#include <set>
#include <string>
#include <vector>

#include "host/CommandLine.h"
#include "platform/NSMenu.h"

namespace plovane::host {

// What the command line does the same whichever way the extension is hosted. Each check says
// on standard error why it refused.
bool selectionIsMonitored(const std::set<platform::NSURL>& directories,
                          const std::vector<platform::NSURL>& selection);
std::optional<platform::NSMenuItem> chosenEntry(const platform::NSMenu& menu,
                                                const std::string& item);
void printMenu(const platform::NSMenu& menu, bool json);

// The extension hosted in this process (where there is no session bus), its modals answered
// from the request.
int runInProcess(const Request& request);
// The running extension asked over the session bus, started on demand.
int runOverBus(const Request& request);

// Whether this user left the menu on in the stand-in (in the Extensions pane); when not, it says
// so on standard error and the extension is not asked.
bool menuSwitchedOn();

// Whether this process can reach a session bus at all, without starting one.
bool sessionBusAvailable();

}  // namespace plovane::host
