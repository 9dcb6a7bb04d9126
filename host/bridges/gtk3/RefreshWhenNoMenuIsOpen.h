#pragma once

#include <functional>

namespace plovane::bridge::gtk3 {

// Runs `refresh` once no context menu of this process is open. Caja rebuilds an open menu when
// its items change and draws it cut off, so a refresh that arrives meanwhile waits for it to close.
void refreshWhenNoMenuIsOpen(std::function<void()> refresh);

}  // namespace plovane::bridge::gtk3
