#include "support/QtTestApplication.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "support/TestEnvironment.h"

namespace plovane::testing {

QApplication& qtTestApplication() {
  static TemporaryFolder home;
  static int argc = 1;
  static char name[] = "plovane_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("HOME", home.path().c_str(), 1);
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
      const auto folder = home.path() / variable;
      std::filesystem::create_directories(folder);
      ::setenv(variable, folder.c_str(), 1);
    }
    return new QApplication(argc, argv);
  }();
  return *application;
}

}  // namespace plovane::testing
