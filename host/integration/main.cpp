// plovane-integration: this desktop's Extensions pane, which the settings app opens. It lists the
// file managers on this computer with the state of the menu's module in each, and switches the
// menu on or off in each for this user.
#include <QApplication>
#include <QDBusConnection>
#include <QTimer>
#include <iostream>

#include "desktop/ProgramStart.h"
#include "desktop/filemanagers/FileManagers.h"
#include "host/integration/IntegrationWindow.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::cerr << "usage: plovane-integration\n";
    return 2;
  }
  if (!platform::desktop::prepareDisplay()) {
    std::cerr << "plovane-integration: no display to show the file managers' settings on\n";
    return 1;
  }
  QApplication application(argc, argv);
  platform::UserDefaultsRoot defaults(platform::UserDefaultsRoot::defaultRoot(),
                                      [](const std::string& line) { std::cerr << line << "\n"; });
  platform::desktop::MenuSwitches switches(defaults);
  plovane::integration::IntegrationWindow window(
      platform::desktop::fileManagersFound(platform::desktop::knownFileManagers(), switches),
      switches);
  window.show();
  // A program of a session ends with it.
  QTimer watch;
  if (const auto bus = QDBusConnection::sessionBus(); bus.isConnected()) {
    platform::desktop::quitWhenBusGoes(watch, bus, [] { QApplication::quit(); });
  }
  return application.exec();
}
