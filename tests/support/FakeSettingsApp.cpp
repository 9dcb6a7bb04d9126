// A program where the settings app will be: it owns the app's bundle identifier on the bus
// while it runs and writes each notification the extension sends it to a file beside the
// store, so an end-to-end test sees that it was started and told.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "desktop/DBusNotificationCenter.h"
#include "shared/SettingsKeys.h"

namespace {

constexpr int kLifetimeMilliseconds = 60'000;

void record(const std::string& line) {
  const char* home = std::getenv("PLOVANE_HOME");
  if (home == nullptr) return;
  std::ofstream(std::filesystem::path(home) / "settings-app.log", std::ios::app) << line << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  auto bus = QDBusConnection::sessionBus();
  platform::desktop::DBusNotificationCenter center(bus);
  for (const char* name :
       {plovane::notifications::ShowUtilityKit, plovane::notifications::AttachFileToMail}) {
    center.addObserver(name, plovane::kExtensionBundleIdentifier,
                       [name] { record(std::string("notified ") + name); });
  }
  if (!bus.registerService(plovane::kAppBundleIdentifier)) return 1;
  record("started");
  // It ends with its bus, or after a while, whichever comes first: a test never waits on it.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!bus.isConnected()) application.quit();
  });
  watch.start(200);
  QTimer::singleShot(kLifetimeMilliseconds, &application, &QCoreApplication::quit);
  return application.exec();
}
