#pragma once

#include "platform/NSViewController.h"

namespace plovane::app {

// The settings tabs; the About tab is at index 3.
class tabviewcontroller final : public platform::NSTabViewController {};

}  // namespace plovane::app
