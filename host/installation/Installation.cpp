#include "host/installation/Installation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "desktop/ProgramLauncher.h"
#include "host/installation/BundlesFolder.h"
#include "host/installation/ExecLine.h"
#include "protocol/FinderSyncProtocol.h"
#include "protocol/SettingsRoot.h"

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

// An installed program's command line; it is handed the home it was installed for.
std::vector<std::string> installedCommand(const InstallPlaces& places, const char* bundle,
                                          const char* executable) {
  std::vector<std::string> command = {(places.applications / bundle / executable).string()};
  if (places.home) command.insert(command.end(), {"--home", places.home->string()});
  return command;
}

// A file with an Exec line, and how its reader splits that line.
struct TextFile {
  fs::path file;
  std::string contents;
  std::vector<std::string> command;
  std::optional<std::vector<std::string>> (*read)(std::string_view);
};

TextFile serviceFile(const fs::path& file, const InstallPlaces& places) {
  const auto command = installedCommand(places, kExtensionBundle, kExtensionExecutable);
  return {file,
          std::string("[D-BUS Service]\nName=") + platform::protocol::kService +
              "\nExec=" + serviceExec(command) + "\n",
          command, readServiceExec};
}

std::string escapedIcon(const InstallPlaces& places) {
  return desktopString((places.applications / kAppBundle / "Resources" / "AppIcon.svg").string());
}

// The settings app in the desktop's application menu.
TextFile appDesktopEntry(const fs::path& file, const InstallPlaces& places) {
  const auto command = installedCommand(places, kAppBundle, kAppExecutable);
  return {file,
          "[Desktop Entry]\nType=Application\nName=Plovane Menu\n"
          "Comment=Choose the commands of your file manager's right-click menu\n"
          "Exec=" +
              desktopExec(command) + "\nIcon=" + escapedIcon(places) +
              "\nTerminal=false\nCategories=Utility;Settings;\n"
              "Keywords=context menu;right-click;file manager;commands;\n",
          command, readDesktopExec};
}

TextFile desktopEntry(const fs::path& file, const InstallPlaces& places) {
  const std::vector<std::string> command = {(places.programs / kFinderExecutable).string(),
                                            "--window"};
  auto withFiles = command;
  withFiles.emplace_back("%f");
  return {file,
          "[Desktop Entry]\nType=Application\nName=Plovane Finder\n"
          "Comment=A small file manager that shows the Plovane Menu in its context menu\n"
          "Exec=" +
              desktopExec(command, "%f") + "\nIcon=" + escapedIcon(places) +
              "\nTerminal=false\nCategories=Utility;FileManager;\n"
              "Keywords=files;folders;file manager;context menu;\n",
          withFiles, readDesktopExec};
}

fs::filesystem_error systemError(const std::string& what, const fs::path& path) {
  return fs::filesystem_error(what, path, std::error_code(errno, std::generic_category()));
}

// Creates the missing folders of `folder` readable by all, whatever the umask, and adds each one
// to `created`, so that uninstall can remove it again.
void makeFolders(const fs::path& folder, std::vector<fs::path>& created) {
  fs::path made;
  for (const auto& part : folder) {
    made /= part;
    if (::mkdir(made.c_str(), 0755) == 0) {
      if (::chmod(made.c_str(), 0755) != 0) throw systemError("cannot open up the folder", made);
      created.push_back(made);
    } else if (errno != EEXIST) {
      throw systemError("cannot create the folder", made);
    }
  }
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
                 const std::function<void(const fs::path&)>& fill, std::vector<fs::path>& created) {
  makeFolders(target.parent_path(), created);
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

void writeFile(const fs::path& file, const std::string& contents, std::vector<fs::path>& created) {
  replaceFile(
      file, fs::perms(0644),
      [&](const fs::path& fresh) {
        std::ofstream out(fresh, std::ios::trunc);
        out << contents;
        out.close();
        if (!out) throw std::runtime_error("cannot write " + file.string());
      },
      created);
}

void copyProgram(const fs::path& from, const fs::path& to, std::vector<fs::path>& created) {
  replaceFile(
      to, fs::status(from).permissions(),
      [&](const fs::path& fresh) {
        fs::copy_file(from, fresh, fs::copy_options::overwrite_existing);
      },
      created);
}

// A copy's folders and files get their modes from the umask: they get the bundle's own instead.
void setModesOfCopy(const fs::path& from, const fs::path& copy) {
  for (const auto& entry : fs::recursive_directory_iterator(copy)) {
    if (entry.is_symlink()) continue;
    const auto original = from / entry.path().lexically_relative(copy);
    fs::permissions(entry.path(),
                    entry.is_directory() ? fs::perms(0755) : fs::status(original).permissions());
  }
  fs::permissions(copy, fs::perms(0755));
}

// The new bundle is built beside the old one and swapped in with one rename, so a launch never
// finds half a bundle; the old one is removed afterwards (its running programs keep their files).
void replaceBundle(const fs::path& from, const fs::path& to, std::vector<fs::path>& created) {
  if (!fs::is_directory(from)) throw std::runtime_error("no bundle at " + from.string());
  makeFolders(to.parent_path(), created);
  removeLeftovers(to);
  std::string name = to.string() + ".tmp-XXXXXX";
  if (::mkdtemp(name.data()) == nullptr) throw systemError("cannot create a folder beside", to);
  const fs::path fresh = name;
  try {
    fs::copy(from, fresh, fs::copy_options::recursive);
    setModesOfCopy(from, fresh);
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
         (std::string(platform::protocol::kService) + ".service");
}

fs::path finderDesktopEntryPath(const InstallPlaces& places) {
  return places.data / "applications" / kFinderDesktopEntry;
}

fs::path appDesktopEntryPath(const InstallPlaces& places) {
  return places.data / "applications" / kAppDesktopEntry;
}

// The installed files that are not bundles, with their contents; throws std::runtime_error for a
// path one of them cannot hold.
std::vector<TextFile> textFiles(const InstallPlaces& places) {
  return {serviceFile(serviceFilePath(places), places),
          desktopEntry(finderDesktopEntryPath(places), places),
          appDesktopEntry(appDesktopEntryPath(places), places)};
}

// The file as its reader finds it: its Exec line splits into the command it was written for.
void checkWritten(const TextFile& written) {
  std::ifstream in(written.file);
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("Exec=")) continue;
    if (written.read(std::string_view(line).substr(5)) == written.command) return;
    break;
  }
  throw std::runtime_error(written.file.string() +
                           ": its Exec line does not read back as the command it was written for");
}

// The folders installs created, kept for uninstall beside the programs folder (in this user's own
// folder); each name ends with a NUL, the one byte a path cannot hold.
fs::path createdFoldersRecord(const InstallPlaces& places) {
  return places.programs.parent_path() / "installed-folders";
}

std::vector<fs::path> recordedFolders(const InstallPlaces& places) {
  std::ifstream in(createdFoldersRecord(places), std::ios::binary);
  std::vector<fs::path> folders;
  for (std::string name; std::getline(in, name, '\0');) folders.emplace_back(name);
  return folders;
}

void recordCreatedFolders(const InstallPlaces& places, std::vector<fs::path>& created) {
  auto folders = recordedFolders(places);
  std::erase_if(folders, [](const fs::path& folder) { return !fs::is_directory(folder); });
  for (const auto& folder : created) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(folder);
    }
  }
  if (folders.empty()) return;
  std::string text;
  for (const auto& folder : folders) text += folder.string() + '\0';
  writeFile(createdFoldersRecord(places), text, created);
}
}  // namespace

InstallPlaces defaultInstallPlaces() {
  const auto finder = fs::read_symlink("/proc/self/exe");
  const auto home = platform::protocol::plovaneHome();
  const auto data = home ? home : platform::protocol::userDataHome();
  if (!data) throw std::runtime_error("neither XDG_DATA_HOME nor HOME is set");
  return {bundlesFolder(),
          finder,
          platform::desktop::BundleRegistry::defaultApplicationsRoot(),
          platform::protocol::settingsRoot() / "bin",
          *data,
          home};
}

std::vector<fs::path> install(const InstallPlaces& places) {
  // Everything is checked before anything is written.
  for (const char* bundle : {kExtensionBundle, kAppBundle}) {
    if (!fs::is_directory(places.builtBundles / bundle)) {
      throw std::runtime_error("no bundle at " + (places.builtBundles / bundle).string());
    }
  }
  const auto files = textFiles(places);
  std::vector<fs::path> written;
  std::vector<fs::path> created;
  for (const char* bundle : {kExtensionBundle, kAppBundle}) {
    replaceBundle(places.builtBundles / bundle, places.applications / bundle, created);
    written.push_back(places.applications / bundle);
  }
  copyProgram(places.finderProgram, places.programs / kFinderExecutable, created);
  written.push_back(places.programs / kFinderExecutable);
  for (const auto& file : files) {
    writeFile(file.file, file.contents, created);
    written.push_back(file.file);
  }
  recordCreatedFolders(places, created);
  for (const auto& file : files) checkWritten(file);
  return written;
}

std::vector<fs::path> uninstall(const InstallPlaces& places) {
  const std::vector<fs::path> installed = {
      places.applications / kExtensionBundle, places.applications / kAppBundle,
      places.programs / kFinderExecutable,    serviceFilePath(places),
      finderDesktopEntryPath(places),         appDesktopEntryPath(places)};
  std::vector<fs::path> removed;
  for (const auto& path : installed) {
    for (auto& leftover : removeLeftovers(path)) removed.push_back(std::move(leftover));
    if (fs::remove_all(path) > 0) removed.push_back(path);
  }
  // The folders that are ours alone go too once empty, and so do those an install created; the
  // shared XDG ones that were there before stay. The deepest go first.
  auto folders = recordedFolders(places);
  if (fs::remove(createdFoldersRecord(places))) removed.push_back(createdFoldersRecord(places));
  folders.insert(folders.end(), {places.programs, places.applications});
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
    return a.string().size() > b.string().size();
  });
  for (const auto& folder : folders) {
    std::error_code notEmpty;
    if (fs::is_directory(fs::symlink_status(folder)) && fs::remove(folder, notEmpty)) {
      removed.push_back(folder);
    }
  }
  return removed;
}

}  // namespace plovane::host
