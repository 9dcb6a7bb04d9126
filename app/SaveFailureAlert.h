#pragma once

#include <optional>
#include <string>

#include "platform/Modals.h"
#include "platform/NSUserDefaults.h"
#include "platform/SystemLog.h"

namespace plovane::app {

inline constexpr char kNotSavedText[] = "Your change could not be saved.";

// Where a settings trouble is told: a line in the log and an alert.
struct TroubleServices {
  platform::SystemLog& log;
  platform::Modals& modals;
};

// A warning with one "OK", as the settings' troubles are told.
void alertSettingsTrouble(platform::Modals& modals, const std::string& messageText,
                          const std::string& informativeText);

// Tells the user that what they did was not saved, and why (the store's reason, when known).
void alertNotSaved(TroubleServices services, const std::optional<std::string>& reason,
                   const std::string& messageText = kNotSavedText);
void alertNotSaved(TroubleServices services, const platform::NSUserDefaults& defaults,
                   const std::string& messageText = kNotSavedText);

// True when the last write to `defaults` reached its file; otherwise the user is told.
bool savedOrAlerted(TroubleServices services, const platform::NSUserDefaults& defaults);

}  // namespace plovane::app
