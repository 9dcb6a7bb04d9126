// Each real file manager loads its module from its compiled-in extension folder, shows the
// extension's entries in its context menu, and an entry clicked there runs its command. The whole
// desktop session runs as an unprivileged user (Nemo and Thunar refuse root quietly, with a
// banner) inside a sandbox (bwrap) with a process namespace of its own, where the module's folder
// is mounted over the file manager's: nothing is written to the machine's folders, other modules
// installed there stay out, and every program of the session ends with the sandbox, also when the
// test is killed.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>
#include <vector>

#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

namespace fs = std::filesystem;
using platform::PlistArray;
using testing::ProcessResult;
using testing::runProcess;

constexpr char kPython[] = "/usr/bin/python3";
constexpr char kSandbox[] = "/usr/bin/bwrap";
constexpr char kSetPrivileges[] = "/usr/bin/setpriv";
constexpr char kTimeout[] = "/usr/bin/timeout";
// The driver gives up long before the test's own limit; its steps wait 30 s at most each.
constexpr char kDriverSeconds[] = "150";
constexpr char kExtensionService[] = "com.quenlow.plovanemenu.findersyncextension";
// Where the extension keeps the directory set once it has started.
constexpr char kHostStateFile[] = "Preferences/com.quenlow.plovanefinder.plist";
// A folder where each case keeps a picture of its file manager with the menu open, when set.
constexpr char kScreenshotVariable[] = "PLOVANE_MENU_SCREENSHOTS";
// What the status bars of the GTK 3 file managers show once the item is selected.
constexpr char kSelectedStatus[] = "\"notes.txt\"";

struct FileManager {
  const char* name;  // also the program
  const char* module;
  const char* extensionFolder;
  const char* folderVariable;  // an environment variable naming more module folders, if any
  const char* application;     // its accessible name
  // How it starts with the item selected, or with its folder open and a key that selects the
  // item, the folder's first.
  std::vector<std::string> (*command)(const fs::path& item);
  const char* selectKey;
  const char* status;  // what its status bar shows once the item is selected; it may have none
  const char* ownEntry;
  // A bus name (its start) the file manager takes once it runs, for a Qt 5 file manager: Qt 5
  // registers with the accessibility bus only when that bus appears after it started.
  const char* accessibilityAfter = nullptr;
  // Opens the context menu with the mouse on the item: keys reach it only with a window
  // manager's focus.
  bool rightClick = false;
};

void PrintTo(const FileManager& manager, std::ostream* out) { *out << manager.name; }

const FileManager kFileManagers[] = {
    {"nautilus", PLOVANE_NAUTILUS_MODULE, PLOVANE_NAUTILUS_EXTENSION_DIR, nullptr,
     "org.gnome.Nautilus",
     [](const fs::path& item) {
       return std::vector<std::string>{"--select", item.string()};
     },
     nullptr, nullptr, "Properties"},
    {"nemo", PLOVANE_NEMO_MODULE, PLOVANE_NEMO_EXTENSION_DIR, nullptr, "nemo",
     [](const fs::path& item) { return std::vector<std::string>{item.string()}; }, nullptr,
     kSelectedStatus, "Properties"},
    // Caja's --select asks a running Caja over the bus, and none runs yet.
    {"caja", PLOVANE_CAJA_MODULE, PLOVANE_CAJA_EXTENSION_DIR, "CAJA_EXTENSION_DIRS", "caja",
     [](const fs::path& item) {
       return std::vector<std::string>{"--no-desktop", "--browser", item.parent_path().string()};
     },
     "Home", kSelectedStatus, "Properties"},
    // Thunar opens a file given to it with the file's application.
    {"thunar", PLOVANE_THUNAR_MODULE, PLOVANE_THUNAR_EXTENSION_DIR, nullptr, "thunar",
     [](const fs::path& item) { return std::vector<std::string>{item.parent_path().string()}; },
     "Home", kSelectedStatus, "Properties..."},
    // Dolphin's two plugins come as the build's Qt plugin folder, which the variable adds.
    {"dolphin", PLOVANE_DOLPHIN_PLUGINS, PLOVANE_DOLPHIN_PLUGIN_DIR, "QT_PLUGIN_PATH", "dolphin",
     [](const fs::path& item) {
       return std::vector<std::string>{"--new-window", "--select", item.string()};
     },
     nullptr, nullptr, "Properties", "org.kde.dolphin", true},
};

struct User {
  uid_t uid;
  gid_t gid;
};

bool onPath(const std::string& program) {
  return runProcess({"/usr/bin/which", program}).exitCode == 0;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The titles of the stand-in's printed menu in order, submenus flattened after their entry.
std::vector<std::string> titlesOf(const std::string& finderMenu) {
  std::vector<std::string> titles;
  for (const auto& line : linesOf(finderMenu)) {
    const auto start = line.find_first_not_of(' ');
    titles.push_back(line.substr(start, line.rfind("  [") - start));
  }
  return titles;
}

// The entries the file manager built, as the driver printed them.
std::vector<std::string> menuOf(const std::string& driverOutput) {
  constexpr std::string_view kPrefix = "menu: ";
  std::vector<std::string> entries;
  for (const auto& line : linesOf(driverOutput)) {
    if (line.starts_with(kPrefix)) entries.push_back(line.substr(kPrefix.size()));
  }
  return entries;
}

std::string joined(const std::vector<std::string>& texts) {
  std::string text;
  for (const auto& each : texts) text += each + "\n";
  return text;
}

class RealFileManagerTest : public ::testing::TestWithParam<FileManager> {
 protected:
  void SetUp() override {
    for (const char* program : {manager.name, "Xvfb", "xdotool", "dbus-daemon", "gdbus"}) {
      if (!onPath(program)) GTEST_SKIP() << program << " is not installed";
    }
    if (!fs::exists(kSandbox)) GTEST_SKIP() << "bubblewrap is not installed";
    if (manager.folderVariable == nullptr &&
        !fs::is_directory(fs::path(manager.extensionFolder).parent_path()))
      GTEST_SKIP() << "no folder for the extension folder " << manager.extensionFolder;
    if (runProcess({kPython, "-c", "import pyatspi"}).exitCode != 0)
      GTEST_SKIP() << "python3-pyatspi is not installed";
    if (::geteuid() == 0) {
      // The session must not run as root; the test's home becomes the user's.
      const passwd* nobody = ::getpwnam("nobody");
      if (nobody == nullptr)
        GTEST_SKIP() << "no unprivileged user \"nobody\" to run " << manager.name << " as";
      user = User{nobody->pw_uid, nobody->pw_gid};
    }
    // A folder of modules (Dolphin's plugin folder) is copied as it is laid out.
    fs::copy(manager.module, fs::is_directory(manager.module) ? modules : modules / moduleName,
             fs::copy_options::recursive);

    environment = env.sessionEnvironment();
    environment["DBUS_SESSION_BUS_ADDRESS"] = "";
    const auto installed = runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{work.string()}, keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, keys::foldersArraystate);
    // Every command inside one submenu: the module builds the file manager's submenus too.
    store->setBool(true, keys::showinSubMenu);
    ASSERT_TRUE(store->synchronize());
    // What the extension offers for the selection, asked without a file manager.
    const auto offered = runProcess({PLOVANE_FINDER, "menu", item.string()}, environment);
    ASSERT_EQ(offered.exitCode, 0) << offered.standardError;
    ours = titlesOf(offered.standardOutput);
    ASSERT_FALSE(ours.empty()) << offered.standardError;
    // As in a session where the extension never ran: no directory set yet.
    fs::remove(env.defaults.root() / kHostStateFile);

    // From here on only the session's user writes to the home: a lock file of root's would
    // keep it from writing the store.
    ASSERT_NO_FATAL_FAILURE(handHomeToUser());
    auto mounting = std::vector<std::string>{kSandbox, "--dev-bind", "/", "/"};
    const auto mounts = moduleMounts();
    mounting.insert(mounting.end(), mounts.begin(), mounts.end());
    mounting.insert(mounting.end(), {"--", "/bin/true"});
    const auto sandboxed = asUser(mounting);
    if (sandboxed.exitCode != 0)
      GTEST_SKIP() << "cannot mount the module's folder over " << manager.name
                   << "'s in a sandbox: " << sandboxed.standardError;
  }

  // The sandbox's arguments that show the module where the file manager looks: a folder the file
  // manager takes from the environment needs none. A missing folder (no other module installed)
  // is made on a tmpfs over its parent, which holds no module either.
  std::vector<std::string> moduleMounts() const {
    if (manager.folderVariable != nullptr) return {};
    std::vector<std::string> arguments;
    const fs::path folder = manager.extensionFolder;
    if (!fs::exists(folder)) arguments = {"--tmpfs", folder.parent_path().string()};
    arguments.insert(arguments.end(), {"--bind", modules.string(), folder.string()});
    return arguments;
  }

  // Runs a program as the session's user.
  ProcessResult asUser(std::vector<std::string> arguments) const {
    if (user) {
      arguments.insert(arguments.begin(),
                       {kSetPrivileges, "--reuid=" + std::to_string(user->uid),
                        "--regid=" + std::to_string(user->gid), "--clear-groups"});
    }
    return runProcess(arguments);
  }

  void handHomeToUser() const {
    if (!user) return;
    const auto home = env.home.path();
    if (::chown(home.c_str(), user->uid, user->gid) != 0) FAIL() << "cannot hand over " << home;
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
      if (::lchown(entry.path().c_str(), user->uid, user->gid) != 0)
        FAIL() << "cannot hand over " << entry.path();
    }
  }

  // A driver (a script beside real_file_manager.py) inside a sandbox: a process namespace of its
  // own (all its programs end with it, and it ends with this process), its own network namespace
  // and /tmp (so its X server and buses meet nobody else's), the test's home, and the module's
  // folder where the file manager looks.
  ProcessResult inSandbox(const fs::path& driver, const std::vector<std::string>& options) const {
    const auto home = env.home.path().string();
    std::vector<std::string> arguments;
    const auto add = [&](std::initializer_list<std::string> more) {
      arguments.insert(arguments.end(), more);
    };
    add({kSandbox, "--die-with-parent", "--unshare-pid", "--unshare-net", "--clearenv"});
    add({"--dev-bind", "/", "/", "--proc", "/proc", "--tmpfs", "/tmp"});
    add({"--perms", "1777", "--dir", "/tmp/.X11-unix", "--bind", home, home});
    // The driver stays visible where the checkout lies under /tmp, as CI's may.
    const auto drivers = driver.parent_path().string();
    add({"--ro-bind", drivers, drivers});
    const auto mounts = moduleMounts();
    arguments.insert(arguments.end(), mounts.begin(), mounts.end());
    auto session = environment;
    session.erase("DBUS_SESSION_BUS_ADDRESS");
    session["QT_QPA_PLATFORM"] = "xcb";
    if (manager.folderVariable != nullptr) session[manager.folderVariable] = modules.string();
    session.insert({{"PATH", "/usr/local/bin:/usr/bin:/bin"},
                    {"LANG", "C.UTF-8"},
                    {"GDK_BACKEND", "x11"},
                    {"GSETTINGS_BACKEND", "memory"},
                    {"GSK_RENDERER", "cairo"},
                    {"GIO_USE_VOLUME_MONITOR", "unix"},
                    {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}});
    for (const auto& [name, value] : session) add({"--setenv", name, value});
    add({"--", kTimeout, kDriverSeconds, kPython, driver.string()});
    arguments.insert(arguments.end(), options.begin(), options.end());
    return asUser(arguments);
  }

  ProcessResult runFileManager(const std::string& entry, const std::string& button,
                               const fs::path& result) const {
    const auto root = env.defaults.root();
    std::vector<std::string> arguments;
    const auto add = [&](std::initializer_list<std::string> more) {
      arguments.insert(arguments.end(), more);
    };
    add({"--logs", logs.string(), "--service-folder", (root / "dbus-1/services").string()});
    // Nothing starts the extension but the module: the first right-click must find it anyway, and
    // again once it was killed.
    add({"--own-entry", manager.ownEntry, "--again-after-kill", kExtensionService});
    add({"--application", manager.application, "--entry", entry, "--dialog-button", button});
    if (manager.selectKey != nullptr) add({"--select-key", manager.selectKey});
    if (manager.status != nullptr) add({"--status", manager.status});
    if (manager.rightClick) add({"--right-click", item.filename().string()});
    if (manager.accessibilityAfter != nullptr)
      add({"--accessibility-after", manager.accessibilityAfter});
    add({"--wait-for", result.string()});
    // A picture of the open menu (for the README) when asked; it takes ImageMagick's import.
    if (std::getenv(kScreenshotVariable) != nullptr) add({"--screenshot", screenshot.string()});
    add({"--", manager.name});
    const auto command = manager.command(item);
    arguments.insert(arguments.end(), command.begin(), command.end());
    return inSandbox(PLOVANE_REAL_FILE_MANAGER_DRIVER, arguments);
  }

  std::string logsText() const {
    std::string text;
    for (const auto& file : fs::directory_iterator(logs)) {
      if (file.path().extension() == ".log")
        text += "== " + file.path().filename().string() + "\n" + testing::fileContents(file);
    }
    return text;
  }

  const FileManager& manager = GetParam();
  const std::string moduleName = fs::path(manager.module).filename();
  testing::TestEnvironment env;
  std::optional<User> user;
  std::map<std::string, std::string> environment;
  std::vector<std::string> ours;  // the titles of the extension's menu, in order
  fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt", "photo.png"});
  fs::path item = work / "notes.txt";
  fs::path modules = testing::makeFolder(env.home.path() / "extensions");
  fs::path logs = testing::makeFolder(env.home.path() / "logs");
  fs::path screenshot = env.home.path() / "menu.png";
};

TEST_P(RealFileManagerTest, TheFirstRightClickAndTheOneAfterAKillShowTheSubmenuWhoseEntryWorks) {
  ASSERT_EQ(ours.front(), "Plovane Menu") << joined(ours);
  const auto created = work / "Untitled.txt";
  const auto run = runFileManager("Plovane Menu > Create New Text File", "Save", created);
  ASSERT_EQ(run.exitCode, 0) << run.standardError << run.standardOutput << logsText();

  // The submenu holds every entry of the extension's menu, in its order.
  const auto shown = menuOf(run.standardOutput);
  EXPECT_NE(std::search(shown.begin(), shown.end(), ours.begin(), ours.end()), shown.end())
      << manager.name << " showed:\n"
      << joined(shown) << "the extension offers:\n"
      << joined(ours);
  // The file manager's own entries are still there.
  EXPECT_NE(std::find(shown.begin(), shown.end(), manager.ownEntry), shown.end()) << joined(shown);
  // The extension's save panel, answered with its proposed name, created the file.
  EXPECT_TRUE(fs::is_regular_file(created)) << logsText();
  EXPECT_NE(run.standardOutput.find("after kill: Plovane Menu\n"), std::string::npos)
      << run.standardOutput;
  // From the key to our entry on screen, for the record (no test asserts a time).
  for (const auto& line : linesOf(run.standardOutput)) {
    if (line.starts_with("time to menu: ")) std::cout << manager.name << ": " << line << "\n";
  }
  // The mount lived only in the sandbox.
  EXPECT_FALSE(fs::exists(fs::path(manager.extensionFolder) / moduleName));

  if (const char* keep = std::getenv(kScreenshotVariable)) {
    fs::copy_file(screenshot, fs::path(keep) / (std::string(manager.name) + "-menu.png"),
                  fs::copy_options::overwrite_existing);
  }
}

INSTANTIATE_TEST_SUITE_P(EachFileManager, RealFileManagerTest, ::testing::ValuesIn(kFileManagers),
                         ::testing::PrintToStringParamName());

// A file manager that was already running when its module was installed: the integration pane
// finds it without the module and restarts it, on the folder it showed, with the module.
class FileManagerRestartTest : public RealFileManagerTest {};

TEST_P(FileManagerRestartTest, ThePaneRestartsAFileManagerRunningWithoutTheModuleWhichThenHasIt) {
  // The driver installs the module once the file manager runs.
  const fs::path package = testing::makeFolder(env.home.path() / "package") / moduleName;
  fs::rename(modules / moduleName, package);
  std::vector<std::string> options = {
      "--logs", logs.string(), "--application", manager.application, "--program", manager.name,
      // The pane's name for the only file manager this suite runs.
      "--name", "Thunar", "--module", package.string(), "--installed-as",
      (fs::path(manager.extensionFolder) / moduleName).string(), "--pane",
      // The installed pane: the sandbox's /tmp hides a build folder that lies there.
      (env.defaults.root() / "Applications/PlovaneMenu.app/plovane-integration").string(), "--",
      manager.name};
  const auto command = manager.command(item);
  options.insert(options.end(), command.begin(), command.end());
  const auto driver =
      fs::path(PLOVANE_REAL_FILE_MANAGER_DRIVER).parent_path() / "restart_file_manager.py";

  const auto run = inSandbox(driver, options);
  ASSERT_EQ(run.exitCode, 0) << run.standardError << run.standardOutput << logsText();
  EXPECT_NE(run.standardOutput.find("restarted: "), std::string::npos) << run.standardOutput;
  EXPECT_NE(run.standardOutput.find(" " + work.string() + "\n"), std::string::npos)
      << run.standardOutput;
}

INSTANTIATE_TEST_SUITE_P(Thunar, FileManagerRestartTest, ::testing::Values(kFileManagers[3]),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace plovane
