#pragma once

class QApplication;

namespace plovane::testing {

// The test binary's one QApplication, made on first use: on the offscreen platform, with HOME
// and the XDG folders in a temporary folder, since Qt's dialogs keep their history there.
QApplication& qtApplication();

}  // namespace plovane::testing
