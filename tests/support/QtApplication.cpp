#include "support/QtApplication.h"

#include <QApplication>

#include "support/TestEnvironment.h"

namespace plovane::testing {

QApplication& qtApplication() {
  static TemporaryFolder home;
  static int argc = 1;
  static char name[] = "plovane_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    const QByteArray root = QByteArray::fromStdString(home.path().string());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/.config");
    qputenv("XDG_DATA_HOME", root + "/.local/share");
    qputenv("XDG_CACHE_HOME", root + "/.cache");
    return new QApplication(argc, argv);
  }();
  return *application;
}

}  // namespace plovane::testing
