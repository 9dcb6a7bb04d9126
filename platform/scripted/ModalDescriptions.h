#pragma once

#include <string>

#include "platform/Modals.h"

namespace platform::scripted {

// One readable paragraph per modal, as the stand-in prints them.
std::string describe(const NSAlert& alert);
std::string describe(const NSOpenPanel& panel);
std::string describe(const NSSavePanel& panel);

// A title or text as the descriptions show it.
std::string quoted(const std::string& text);

}  // namespace platform::scripted
