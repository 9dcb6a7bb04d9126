#pragma once

#include "platform/NSViewController.h"

namespace plovane::app {

// The Monitored folders tab; it only explains itself in this version.
class foldersArrvc final : public platform::NSViewController {};

}  // namespace plovane::app
