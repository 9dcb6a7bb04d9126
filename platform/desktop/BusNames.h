#pragma once

// The stand-in's stored state is named where the file-manager modules read it too.
#include "protocol/HostStateKeys.h"

// Names on the session bus that the desktop programs share (the extension's own calls are in
// protocol/FinderSyncProtocol.h).
namespace platform::desktop::bus {

// Every program publishes how it presents itself, at the path made from its bundle identifier.
inline constexpr char kRunningApplicationInterface[] = "com.quenlow.plovanemenu.RunningApplication";
inline constexpr char kActivationPolicyProperty[] = "ActivationPolicy";

inline constexpr char kFileManagerService[] = "org.freedesktop.FileManager1";
inline constexpr char kFileManagerPath[] = "/org/freedesktop/FileManager1";
inline constexpr char kFileManagerInterface[] = "org.freedesktop.FileManager1";

}  // namespace platform::desktop::bus
