#include "support/QtApplication.h"

#include <sys/stat.h>

#include <QApplication>
#include <QDBusConnection>

#include "support/TestEnvironment.h"

namespace plovane::testing {

QApplication& qtApplication() {
  static TemporaryFolder home;
  static int argc = 1;
  static char name[] = "plovane_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", home.path().c_str());
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                 "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
      const auto folder = home.path() / variable;
      std::filesystem::create_directories(folder);
      qputenv(variable, folder.c_str());
    }
    ::chmod((home.path() / "XDG_RUNTIME_DIR").c_str(), 0700);
    return new QApplication(argc, argv);
  }();
  return *application;
}

bool sessionBusAvailable() {
  qtApplication();
  return QDBusConnection::sessionBus().isConnected();
}

}  // namespace plovane::testing
