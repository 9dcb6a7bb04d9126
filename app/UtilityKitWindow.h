#pragma once

#include "platform/NSViewController.h"
#include "platform/NSWindow.h"

namespace plovane::app {

// The other-apps window; closing it leaves the app running.
class UtilityKitWindow final : public platform::NSWindowController {};

class utilityKitvc final : public platform::NSViewController {};

}  // namespace plovane::app
