// plovane-finder: the file manager's part. It asks the extension for the context menu of a
// selection and carries out a chosen entry, from the command line or in a small window,
// installs the programs for the desktop and shows their log.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <iostream>

#include "desktop/LogFile.h"
#include "host/commandline/BusRun.h"
#include "host/commandline/CommandLine.h"
#include "host/commandline/MenuRequests.h"
#include "host/inprocess/InProcessRun.h"
#include "host/installation/Installation.h"
#include "host/log/LogCommand.h"
#include "host/screenshot/FinderWindowScreenshot.h"
#include "host/window/FinderWindow.h"

namespace {

// Installs or uninstalls for this user and prints each path written or removed.
int changeInstallation(bool installing, int& argc, char** argv) {
  try {
    const auto places = plovane::host::defaultInstallPlaces();
    const auto changed =
        installing ? plovane::host::install(places) : plovane::host::uninstall(places);
    for (const auto& path : changed) {
      std::cout << (installing ? "installed " : "removed ") << path.string() << "\n";
    }
    if (changed.empty()) std::cout << "nothing was installed\n";
  } catch (const std::exception& failure) {
    std::cerr << "plovane-finder: " << (installing ? "installation" : "uninstallation")
              << " failed: " << failure.what() << "\n";
    return 1;
  }
  // A running session bus reads its service folders again, so it starts the extension at once
  // from the new service file, or no longer knows the removed one.
  QCoreApplication application(argc, argv);
  if (plovane::host::sessionBusAvailable()) {
    QDBusConnection::sessionBus().interface()->call(QStringLiteral("ReloadConfig"));
  }
  return 0;
}

int runCommand(const plovane::host::Request& request, int& argc, char** argv) {
  if (!plovane::host::menuSwitchedOn()) return 1;
  QCoreApplication application(argc, argv);
  if (plovane::host::sessionBusAvailable()) return plovane::host::runOverBus(request);
  return plovane::host::runInProcess(request);
}

}  // namespace

int main(int argc, char** argv) {
  const auto request = plovane::host::parseRequest({argv + 1, argv + argc});
  if (!request) {
    std::cerr << plovane::host::kUsage;
    return 2;
  }
  using Command = plovane::host::Request::Command;
  switch (request->command) {
    case Command::install:
    case Command::uninstall:
      return changeInstallation(request->command == Command::install, argc, argv);
    case Command::menu:
    case Command::choose:
      return runCommand(*request, argc, argv);
    case Command::window:
      if (request->screenshot) return plovane::host::runScreenshot(*request, argc, argv);
      return plovane::host::runWindow(*request, argc, argv);
    case Command::log:
      return plovane::host::printLastLogLines(platform::desktop::defaultLogFilePath(),
                                              request->logLines, std::cout, std::cerr);
    case Command::help:
      std::cout << plovane::host::kUsage;
      return 0;
  }
  return 2;
}
