#pragma once

class QApplication;

namespace plovane::testing {

// The test binary's one QApplication, made on first use: on the offscreen platform, with HOME
// and the XDG folders in a temporary folder, since Qt's dialogs keep their history there and
// nothing of the machine's user may be read or written. Every test that needs Qt asks here.
QApplication& qtApplication();

// Whether tests can use the private session bus they run on (under dbus-run-session).
bool sessionBusAvailable();

}  // namespace plovane::testing
