#pragma once

#include <glib.h>

#include <string>
#include <vector>

namespace plovane::bridge {

// Paths as the extension's calls take them: byte arrays without a terminator, since a Linux file
// name need not be UTF-8. A floating reference, for g_variant_new's "@aay".
GVariant* pathsVariant(const std::vector<std::string>& paths);

}  // namespace plovane::bridge
