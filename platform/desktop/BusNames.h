#pragma once

// Names on the session bus that the desktop programs share (the extension's own calls are in
// findersync/FinderSyncProtocol.h).
namespace platform::desktop::bus {

// Every program publishes how it presents itself, at the path made from its bundle identifier.
inline constexpr char kRunningApplicationInterface[] = "com.quenlow.plovanemenu.RunningApplication";
inline constexpr char kActivationPolicyProperty[] = "ActivationPolicy";

inline constexpr char kFileManagerService[] = "org.freedesktop.FileManager1";
inline constexpr char kFileManagerPath[] = "/org/freedesktop/FileManager1";
inline constexpr char kFileManagerInterface[] = "org.freedesktop.FileManager1";

}  // namespace platform::desktop::bus

// What the stand-in file manager keeps in its own defaults domain, shared with the programs that
// set its directory set or flip its display of hidden files.
namespace platform::desktop::host_state {

inline constexpr char kDomain[] = "com.quenlow.plovanefinder";
inline constexpr char kDirectoryURLs[] = "DirectoryURLs";  // array of folder paths
inline constexpr char kShowsHiddenFiles[] = "ShowsHiddenFiles";
// The file managers (by program name: "nautilus", "nemo", "caja", "thunar", "plovane-finder") in
// which this user switched the menu off; every other one shows it.
inline constexpr char kDisabledFileManagers[] = "DisabledFileManagers";

}  // namespace platform::desktop::host_state
