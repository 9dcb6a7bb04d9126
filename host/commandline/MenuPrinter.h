#pragma once

#include <string>

#include "platform/NSMenu.h"

namespace plovane::host {

// The menu as the stand-in prints it: an indented tree for people, JSON for tools.
std::string menuAsTree(const platform::NSMenu& menu);
std::string menuAsJson(const platform::NSMenu& menu);

}  // namespace plovane::host
