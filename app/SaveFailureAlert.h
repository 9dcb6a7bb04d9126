#pragma once

#include "app/AppContext.h"
#include "platform/NSUserDefaults.h"

namespace plovane::app {

// Tells the user that a setting they changed was not saved, and why.
void alertNotSaved(AppContext& context, const platform::NSUserDefaults& defaults);

// True when the last write to `defaults` reached its file; otherwise the user is told.
bool savedOrAlerted(AppContext& context, const platform::NSUserDefaults& defaults);

}  // namespace plovane::app
