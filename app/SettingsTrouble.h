#pragma once

#include "app/SaveFailureAlert.h"
#include "platform/NSUserDefaults.h"

namespace plovane::app {

// Tells the person, as the main window opens, what became of their settings: a store that
// cannot be opened (the app runs, but keeps nothing), and settings files that could not be read
// and were reset, with where each old file went. Each reset is told once, whichever program
// found the file unreadable.
void tellOfSettingsTrouble(platform::UserDefaultsRoot& defaults, TroubleServices services);

}  // namespace plovane::app
