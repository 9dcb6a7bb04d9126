#pragma once

#include <functional>
#include <memory>

#include "platform/NSApplication.h"
#include "platform/NSBundle.h"
#include "platform/Platform.h"

namespace platform::desktop {

// The program's own objects (its delegate and what it keeps), alive while the program runs.
class HostedApplication {
 public:
  virtual ~HostedApplication() = default;
};

using ApplicationFactory =
    std::function<std::unique_ptr<HostedApplication>(Platform&, NSApplication&)>;

// Runs a windowed program for the session, as launching an application does: it owns its bundle
// identifier on the session bus and publishes its activation policy (accessory until the program
// says otherwise); a second start asks the running instance to come forward and exits 0. Dialogs
// at a display, scripted answers without one. Returns the exit status once the program ends.
int runApplicationHost(int& argc, char** argv, const NSBundle& bundle,
                       const ApplicationFactory& makeApplication);

}  // namespace platform::desktop
