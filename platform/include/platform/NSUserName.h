#pragma once

#include <string>

namespace platform {

// The login name of the user this process runs as.
std::string NSUserName();

}  // namespace platform
