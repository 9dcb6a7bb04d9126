#include "host/Installation.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "desktop/BusNames.h"
#include "desktop/ProgramLauncher.h"
#include "host/BundlesFolder.h"

namespace plovane::host {

namespace fs = std::filesystem;

namespace {

constexpr char kExtensionBundle[] = "PlovaneMenuExtension.appex";
constexpr char kAppBundle[] = "PlovaneMenu.app";
constexpr char kExtensionExecutable[] = "plovane-menu-extension";
constexpr char kAppExecutable[] = "plovane-menu";
constexpr char kAppDesktopEntry[] = "com.quenlow.plovanemenu.desktop";

std::optional<fs::path> environmentPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return fs::path(value);
}

fs::path xdgDataHome() {
  if (auto configured = environmentPath("XDG_DATA_HOME")) return *configured;
  const auto home = environmentPath("HOME");
  if (!home) throw std::runtime_error("neither XDG_DATA_HOME nor HOME is set");
  return *home / ".local" / "share";
}

void writeFile(const fs::path& file, const std::string& contents) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::trunc);
  out << contents;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// The bus and the desktop split an Exec line into words the way a shell would (no shell runs
// it): every word is quoted, and the characters special inside quotes are escaped.
std::string execWord(const std::string& word) {
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\' || c == '$' || c == '`') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// An installed program's command line; it is handed the home it was installed for.
std::string installedCommand(const InstallPlaces& places, const char* bundle,
                             const char* executable) {
  std::string exec = execWord((places.applications / bundle / executable).string());
  if (places.home) exec += " --home " + execWord(places.home->string());
  return exec;
}

std::string serviceFile(const InstallPlaces& places) {
  const std::string exec = installedCommand(places, kExtensionBundle, kExtensionExecutable);
  return std::string("[D-BUS Service]\nName=") + platform::desktop::bus::kExtensionService +
         "\nExec=" + exec + "\n";
}

std::string appIcon(const InstallPlaces& places) {
  return (places.applications / kAppBundle / "Resources" / "AppIcon.svg").string();
}

// The settings app in the desktop's application menu.
std::string appDesktopEntry(const InstallPlaces& places) {
  return "[Desktop Entry]\nType=Application\nName=Plovane Menu\n"
         "Comment=Choose the commands of your file manager's right-click menu\n"
         "Exec=" +
         installedCommand(places, kAppBundle, kAppExecutable) + "\nIcon=" + appIcon(places) +
         "\nTerminal=false\nCategories=Utility;Settings;\n";
}

std::string desktopEntry(const InstallPlaces& places) {
  return "[Desktop Entry]\nType=Application\nName=Plovane Finder\n"
         "Comment=A small file manager that shows the Plovane Menu in its context menu\n"
         "Exec=" +
         execWord(places.finderProgram.string()) +
         " --window %f\n"
         "Icon=" +
         appIcon(places) + "\nTerminal=false\nCategories=Utility;FileManager;\n";
}

void copyBundle(const fs::path& from, const fs::path& to) {
  if (!fs::is_directory(from)) throw std::runtime_error("no bundle at " + from.string());
  fs::create_directories(to);
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace

InstallPlaces defaultInstallPlaces() {
  const auto finder = fs::read_symlink("/proc/self/exe");
  const auto home = environmentPath("PLOVANE_HOME");
  return {bundlesFolder(), finder, platform::desktop::BundleRegistry::defaultApplicationsRoot(),
          home ? *home : xdgDataHome(), home};
}

std::vector<fs::path> install(const InstallPlaces& places) {
  std::vector<fs::path> written;
  for (const char* bundle : {kExtensionBundle, kAppBundle}) {
    copyBundle(places.builtBundles / bundle, places.applications / bundle);
    written.push_back(places.applications / bundle);
  }
  const auto service = places.data / "dbus-1" / "services" /
                       (std::string(platform::desktop::bus::kExtensionService) + ".service");
  writeFile(service, serviceFile(places));
  written.push_back(service);
  const auto entry = places.data / "applications" / "com.quenlow.plovanefinder.desktop";
  writeFile(entry, desktopEntry(places));
  written.push_back(entry);
  const auto appEntry = places.data / "applications" / kAppDesktopEntry;
  writeFile(appEntry, appDesktopEntry(places));
  written.push_back(appEntry);
  return written;
}

}  // namespace plovane::host
