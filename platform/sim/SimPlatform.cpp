#include "sim/SimPlatform.h"

namespace platform::sim {

SimPlatform::SimPlatform(UserDefaultsRoot& defaults, SystemLog& log, const NSBundle& bundle,
                         std::filesystem::path applicationsFolder, NSCalendar dayCalendar,
                         PlistDate start)
    : runLoop(start),
      fileManager(std::move(applicationsFolder)),
      calendar(dayCalendar),
      platform{defaults,       runLoop,      log,         finderSyncController,
               bundle,         workspace,    modals,      notificationCenter,
               pasteboard,     fileManager,  calendar,    appleScript,
               keyboardEvents, windowServer, composeEmail} {}

}  // namespace platform::sim
