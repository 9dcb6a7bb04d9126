#pragma once

#include <memory>

#include "desktop/StreamSystemLog.h"
#include "desktop/findersync/FinderSyncClient.h"
#include "host/commandline/CommandLine.h"
#include "host/window/FinderWindowHostState.h"
#include "host/window/FinderWindowMain.h"
#include "platform/NSUserDefaults.h"

namespace plovane::host {

// The stand-in's window on the request's folder, asking the extension over the session bus:
// what both the shown window and its screenshot open. Needs a QApplication.
class FinderWindowSession {
 public:
  // Null, with the reason on standard error, without a session bus or when the folder cannot be
  // listed. Starts the extension first, as the file manager does before it shows a folder.
  static std::unique_ptr<FinderWindowSession> open(const Request& request);

  FinderMainWindow& window() { return window_; }

 private:
  FinderWindowSession();

  platform::desktop::FinderSyncClient client_;
  platform::desktop::StreamSystemLog log_;
  platform::UserDefaultsRoot defaults_;
  FinderHostState state_;
  FinderMainWindow window_;
};

// Shows the window until it is closed.
int runWindow(const Request& request, int& argc, char** argv);

}  // namespace plovane::host
