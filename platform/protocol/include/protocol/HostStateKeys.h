#pragma once

// What the stand-in file manager keeps in its own defaults domain, shared with the programs that
// set its directory set or flip its display of hidden files, and read by the file-manager modules.
namespace platform::protocol::host_state {

inline constexpr char kDomain[] = "com.quenlow.plovanefinder";
inline constexpr char kDirectoryURLs[] = "DirectoryURLs";  // array of folder paths
inline constexpr char kShowsHiddenFiles[] = "ShowsHiddenFiles";
// The file managers (by program name: "nautilus", "nemo", "caja", "thunar", "plovane-finder") in
// which this user switched the menu off; every other one shows it.
inline constexpr char kDisabledFileManagers[] = "DisabledFileManagers";

}  // namespace platform::protocol::host_state
