#pragma once

#include <filesystem>

namespace plovane::host {

// Where the two bundles are: the build's bundles/ folder beside the stand-in's bin/; for the copy
// a user's install made, that user's applications root; for a stand-in the system's package
// installed, the system's applications root.
std::filesystem::path bundlesFolder();

}  // namespace plovane::host
