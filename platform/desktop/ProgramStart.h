#pragma once

#include <QDBusConnection>
#include <QTimer>
#include <functional>
#include <optional>

#include "platform/NSBundle.h"

namespace platform::desktop {

// What every desktop program of the system does as it starts.

// The running program's bundle: the folder its executable is in. Absent, with a line on
// standard error naming `program`, when that folder holds no Info.plist.
std::optional<NSBundle> runningProgramBundle(const char* program);

// Takes "--home FOLDER" at argv[index] (moving `index` past it) into $PLOVANE_HOME; false when
// the argument is something else.
bool takeHomeArgument(int& index, int argc, char** argv);

// Whether a person sees the program's windows; without a display, or with an X display that
// cannot be reached (one log line says so), Qt draws offscreen.
bool prepareDisplay();

// Calls `quit` once the session's bus is gone: a program of a session ends with it.
void quitWhenBusGoes(QTimer& watch, const QDBusConnection& bus, std::function<void()> quit);

}  // namespace platform::desktop
