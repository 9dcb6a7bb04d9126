#include "host/commandline/MenuRequests.h"

#include <QDBusConnection>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "desktop/HostDirectorySet.h"
#include "desktop/filemanagers/MenuSwitches.h"
#include "host/commandline/MenuChoice.h"
#include "host/commandline/MenuPrinter.h"

namespace plovane::host {

bool selectionIsMonitored(const std::set<platform::NSURL>& directories,
                          const std::vector<platform::NSURL>& selection) {
  for (const auto& item : selection) {
    if (!platform::desktop::isInsideDirectorySet(directories, item)) {
      std::cerr << "plovane-finder: " << item.path()
                << " is not inside a monitored folder; the file manager shows no extension "
                   "menu there\n";
      return false;
    }
  }
  return true;
}

std::optional<platform::NSMenuItem> chosenEntry(const platform::NSMenu& menu,
                                                const std::string& item) {
  auto entry = findEntry(menu, parseTitlePath(item));
  if (!entry) {
    std::cerr << "plovane-finder: the menu has no entry \"" << item << "\"\n";
    return std::nullopt;
  }
  if (entry->action.empty()) {
    std::cerr << "plovane-finder: \"" << item
              << "\" only opens a submenu; choose one of its entries\n";
    return std::nullopt;
  }
  return entry;
}

void printMenu(const platform::NSMenu& menu, bool json) {
  std::cout << (json ? menuAsJson(menu) : menuAsTree(menu));
}

bool menuSwitchedOn() {
  platform::UserDefaultsRoot defaults(platform::UserDefaultsRoot::defaultRoot(),
                                      [](const std::string& line) { std::cerr << line << "\n"; });
  if (platform::desktop::MenuSwitches(defaults).isOn(platform::desktop::kStandInProgram))
    return true;
  std::cerr << "plovane-finder: the menu is switched off in Plovane Finder; switch it on in "
               "Plovane Menu's extension settings\n";
  return false;
}

bool sessionBusAvailable() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && *address != '\0') return QDBusConnection::sessionBus().isConnected();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return false;
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::path(runtime) / "bus", ignored) &&
         QDBusConnection::sessionBus().isConnected();
}

}  // namespace plovane::host
