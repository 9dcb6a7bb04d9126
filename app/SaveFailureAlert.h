#pragma once

#include <optional>
#include <string>

#include "app/AppContext.h"
#include "platform/NSUserDefaults.h"

namespace plovane::app {

inline constexpr char kNotSavedText[] = "Your change could not be saved.";

// A warning with one "OK", as the settings' troubles are told.
void alertSettingsTrouble(AppContext& context, const std::string& messageText,
                          const std::string& informativeText);

// Tells the user that what they did was not saved, and why (the store's reason, when known).
void alertNotSaved(AppContext& context, const std::optional<std::string>& reason,
                   const std::string& messageText = kNotSavedText);
void alertNotSaved(AppContext& context, const platform::NSUserDefaults& defaults,
                   const std::string& messageText = kNotSavedText);

// True when the last write to `defaults` reached its file; otherwise the user is told.
bool savedOrAlerted(AppContext& context, const platform::NSUserDefaults& defaults);

}  // namespace plovane::app
