#pragma once

#include <optional>
#include <string>

namespace platform::desktop {

// Why no X server listens at the local display named like $DISPLAY ("[:]number[.screen]"), or
// absent when one does. Qt's X plugin aborts the program where it cannot connect, so a program
// asks this before it creates its application object. It looks for the server's sockets
// without connecting: a client that connects and leaves makes a fresh server reset, which a
// connection made meanwhile may not survive. A display on another host is left to Qt.
std::optional<std::string> whyXDisplayUnreachable(const std::string& display);

}  // namespace platform::desktop
