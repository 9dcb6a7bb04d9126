#pragma once

#include <sys/stat.h>

#include <QApplication>
#include <QDBusConnection>
#include <stdexcept>

#include "support/TestEnvironment.h"

namespace plovane::testing {

// The one application object of the test binary, made on first use: a QApplication (so that
// widget tests can share it) on the offscreen platform, with HOME and the XDG folders in a
// temporary folder so that nothing of the machine's user is read or written. Every test that needs
// Qt's event loop asks for it here.
inline QGuiApplication& guiApplication() {
  static TemporaryFolder home;
  static QGuiApplication* application = []() -> QGuiApplication* {
    if (QCoreApplication::instance() != nullptr) {
      // A widget test's QApplication serves as well; a bare QCoreApplication cannot.
      auto* existing = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
      if (existing == nullptr) throw std::logic_error("a QCoreApplication is in the way");
      return existing;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", home.path().c_str());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "XDG_RUNTIME_DIR"}) {
      const auto folder = home.path() / name;
      std::filesystem::create_directories(folder);
      qputenv(name, folder.c_str());
    }
    ::chmod((home.path() / "XDG_RUNTIME_DIR").c_str(), 0700);
    static int argc = 1;
    static char name[] = "plovane_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *application;
}

// Whether tests can use the private session bus they run on (under dbus-run-session).
inline bool sessionBusAvailable() {
  guiApplication();
  return QDBusConnection::sessionBus().isConnected();
}

}  // namespace plovane::testing
