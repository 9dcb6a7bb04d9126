#pragma once

class QApplication;

namespace plovane::testing {

// The one Qt application of the test binary, made on first use: offscreen, and with HOME and
// the XDG folders in a temporary folder, so no dialog history or setting leaks out.
QApplication& qtTestApplication();

}  // namespace plovane::testing
