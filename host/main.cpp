// plovane-finder: the file manager's part. It asks the extension for the context menu of a
// selection and carries out a chosen entry, from the command line or in a small window, and
// installs the programs for the desktop.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <iostream>

#include "host/CommandLine.h"
#include "host/FinderWindow.h"
#include "host/Installation.h"
#include "host/MenuRequests.h"

namespace {

int installForThisUser(int& argc, char** argv) {
  try {
    for (const auto& written : plovane::host::install(plovane::host::defaultInstallPlaces())) {
      std::cout << "installed " << written.string() << "\n";
    }
  } catch (const std::exception& failure) {
    std::cerr << "plovane-finder: installation failed: " << failure.what() << "\n";
    return 1;
  }
  // A running session bus reads its service folders again, so the extension can start at once.
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
  std::cerr << "plovane-finder: no session bus; hosting the extension in this process\n";
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
      return installForThisUser(argc, argv);
    case Command::menu:
    case Command::choose:
      return runCommand(*request, argc, argv);
    case Command::window:
      return plovane::host::runWindow(*request, argc, argv);
  }
  return 2;
}
