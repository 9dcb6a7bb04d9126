#pragma once

#include <optional>
#include <string>

#include "platform/NSUserDefaults.h"

namespace plovane {

// The short version that keeps the legacy flag list as the only stored form.
inline constexpr char kLegacyVersion[] = "1.8";

// Creates, migrates or loads the stored command list and returns the in-memory copy
// (`arrItemsdic`): empty in legacy mode. `sharedDefaults` may be absent: then nothing is read
// or written and list mode returns the fresh list.
platform::PlistArray seedCommandList(platform::NSUserDefaults* sharedDefaults,
                                     const std::optional<std::string>& shortVersion);

// The stored command list exactly as it is, when it is a list of dictionaries; absent otherwise
// (seeding, not a re-read, decides what replaces a missing or malformed list).
std::optional<platform::PlistArray> readStoredCommandList(platform::NSUserDefaults* sharedDefaults);

}  // namespace plovane
