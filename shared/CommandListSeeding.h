#pragma once

#include <optional>
#include <string>

#include "platform/NSUserDefaults.h"
#include "shared/CommandListEntry.h"

namespace plovane {

// The short version that keeps the legacy flag list as the only stored form.
inline constexpr char kLegacyVersion[] = "1.8";

// Creates, migrates or loads the stored command list and returns the in-memory copy: empty in
// legacy mode. `sharedDefaults` may be absent: then nothing is read or written and list mode
// returns the fresh list.
CommandList seedCommandList(platform::NSUserDefaults* sharedDefaults,
                            const std::optional<std::string>& shortVersion);

// The stored command list, row for row, when it is a list of dictionaries; absent otherwise
// (seeding, not a re-read, decides what replaces a missing or malformed list).
std::optional<CommandList> readStoredCommandList(platform::NSUserDefaults* sharedDefaults);

}  // namespace plovane
