#include "host/installation/Installation.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "desktop/ProgramLauncher.h"
#include "desktop/findersync/FinderSyncProtocol.h"
#include "host/installation/BundlesFolder.h"
#include "platform/NSUserDefaults.h"

namespace plovane::host {

namespace fs = std::filesystem;

namespace {

constexpr char kExtensionBundle[] = "PlovaneMenuExtension.appex";
constexpr char kAppBundle[] = "PlovaneMenu.app";
constexpr char kExtensionExecutable[] = "plovane-menu-extension";
constexpr char kAppExecutable[] = "plovane-menu";
constexpr char kAppDesktopEntry[] = "com.quenlow.plovanemenu.desktop";
constexpr char kFinderExecutable[] = "plovane-finder";
constexpr char kFinderDesktopEntry[] = "com.quenlow.plovanefinder.desktop";

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
  return std::string("[D-BUS Service]\nName=") + platform::desktop::finder_sync::kService +
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
         execWord((places.programs / kFinderExecutable).string()) +
         " --window %f\n"
         "Icon=" +
         appIcon(places) + "\nTerminal=false\nCategories=Utility;FileManager;\n";
}

fs::filesystem_error systemError(const std::string& what, const fs::path& path) {
  return fs::filesystem_error(what, path, std::error_code(errno, std::generic_category()));
}

// Removes what an install killed midway left beside `target`; returns what it removed.
std::vector<fs::path> removeLeftovers(const fs::path& target) {
  std::vector<fs::path> removed;
  const std::string prefix = target.filename().string() + ".tmp-";
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(target.parent_path(), error)) {
    if (!entry.path().filename().string().starts_with(prefix)) continue;
    fs::remove_all(entry.path());
    removed.push_back(entry.path());
  }
  return removed;
}

// A new file is filled beside `target` and renamed over it: a program still running from the
// old file keeps that one (writing into it fails while it runs), and nobody reads half a file.
void replaceFile(const fs::path& target, fs::perms mode,
                 const std::function<void(const fs::path&)>& fill) {
  fs::create_directories(target.parent_path());
  removeLeftovers(target);
  std::string name = target.string() + ".tmp-XXXXXX";
  const int descriptor = ::mkstemp(name.data());
  if (descriptor < 0) throw systemError("cannot create a file beside", target);
  ::close(descriptor);
  try {
    fill(name);
    fs::permissions(name, mode);
    fs::rename(name, target);
  } catch (...) {
    fs::remove(name);
    throw;
  }
}

void writeFile(const fs::path& file, const std::string& contents) {
  replaceFile(file, fs::perms(0644), [&](const fs::path& fresh) {
    std::ofstream out(fresh, std::ios::trunc);
    out << contents;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
  });
}

void copyProgram(const fs::path& from, const fs::path& to) {
  replaceFile(to, fs::status(from).permissions(), [&](const fs::path& fresh) {
    fs::copy_file(from, fresh, fs::copy_options::overwrite_existing);
  });
}

// The new bundle is built beside the old one and swapped in with one rename, so a launch never
// finds half a bundle; the old one is removed afterwards (its running programs keep their files).
void replaceBundle(const fs::path& from, const fs::path& to) {
  if (!fs::is_directory(from)) throw std::runtime_error("no bundle at " + from.string());
  fs::create_directories(to.parent_path());
  removeLeftovers(to);
  std::string name = to.string() + ".tmp-XXXXXX";
  if (::mkdtemp(name.data()) == nullptr) throw systemError("cannot create a folder beside", to);
  const fs::path fresh = name;
  try {
    fs::copy(from, fresh, fs::copy_options::recursive);
    fs::permissions(fresh, fs::status(from).permissions());
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0) {
      // No bundle yet, or a file system that cannot swap (then there is a moment without one).
      if (errno == EINVAL) {
        fs::remove_all(to);
      } else if (errno != ENOENT) {
        throw systemError("cannot swap in the new bundle at", to);
      }
      fs::rename(fresh, to);
    }
  } catch (...) {
    fs::remove_all(fresh);
    throw;
  }
  fs::remove_all(fresh);  // the old bundle, swapped out
}

fs::path serviceFilePath(const InstallPlaces& places) {
  return places.data / "dbus-1" / "services" /
         (std::string(platform::desktop::finder_sync::kService) + ".service");
}

// The installed files that are not bundles, with their contents.
std::vector<std::pair<fs::path, std::string>> textFiles(const InstallPlaces& places) {
  const auto entries = places.data / "applications";
  return {{serviceFilePath(places), serviceFile(places)},
          {entries / kFinderDesktopEntry, desktopEntry(places)},
          {entries / kAppDesktopEntry, appDesktopEntry(places)}};
}
}  // namespace

InstallPlaces defaultInstallPlaces() {
  const auto finder = fs::read_symlink("/proc/self/exe");
  const auto home = environmentPath("PLOVANE_HOME");
  return {bundlesFolder(),
          finder,
          platform::desktop::BundleRegistry::defaultApplicationsRoot(),
          platform::UserDefaultsRoot::defaultRoot() / "bin",
          home ? *home : xdgDataHome(),
          home};
}

std::vector<fs::path> install(const InstallPlaces& places) {
  // Everything is checked before anything is written.
  for (const char* bundle : {kExtensionBundle, kAppBundle}) {
    if (!fs::is_directory(places.builtBundles / bundle)) {
      throw std::runtime_error("no bundle at " + (places.builtBundles / bundle).string());
    }
  }
  std::vector<fs::path> written;
  for (const char* bundle : {kExtensionBundle, kAppBundle}) {
    replaceBundle(places.builtBundles / bundle, places.applications / bundle);
    written.push_back(places.applications / bundle);
  }
  copyProgram(places.finderProgram, places.programs / kFinderExecutable);
  written.push_back(places.programs / kFinderExecutable);
  for (const auto& [file, contents] : textFiles(places)) {
    writeFile(file, contents);
    written.push_back(file);
  }
  return written;
}

std::vector<fs::path> uninstall(const InstallPlaces& places) {
  std::vector<fs::path> installed = {places.applications / kExtensionBundle,
                                     places.applications / kAppBundle,
                                     places.programs / kFinderExecutable};
  for (const auto& [file, contents] : textFiles(places)) installed.push_back(file);
  std::vector<fs::path> removed;
  for (const auto& path : installed) {
    for (auto& leftover : removeLeftovers(path)) removed.push_back(std::move(leftover));
    if (fs::remove_all(path) > 0) removed.push_back(path);
  }
  // The folders that are ours alone go too once empty; the shared XDG ones stay.
  for (const auto& folder : {places.programs, places.applications}) {
    std::error_code notEmpty;
    if (fs::remove(folder, notEmpty)) removed.push_back(folder);
  }
  return removed;
}

}  // namespace plovane::host
