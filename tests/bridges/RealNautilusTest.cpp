// Real Nautilus loads the module from its compiled-in extension folder, shows the extension's
// entries in its context menu, and an entry clicked there runs its command. The whole desktop
// session runs as an unprivileged user inside a sandbox (bwrap) with a process namespace of its
// own, where the module's folder is mounted over Nautilus's: nothing is written to the machine's
// folders, and every program of the session ends with the sandbox, also when the test is killed.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
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
constexpr char kModuleName[] = "libplovane-menu-nautilus.so";
constexpr char kExtensionService[] = "com.quenlow.plovanemenu.findersyncextension";
// Where the extension keeps the directory set once it has started.
constexpr char kHostStateFile[] = "Preferences/com.quenlow.plovanefinder.plist";
// Where to keep a picture of Nautilus with the menu open, when set.
constexpr char kScreenshotVariable[] = "PLOVANE_NAUTILUS_SCREENSHOT";

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

// The entries Nautilus built, as the driver printed them.
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

class RealNautilusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"nautilus", "Xvfb", "xdotool", "dbus-daemon", "gdbus"}) {
      if (!onPath(program)) GTEST_SKIP() << program << " is not installed";
    }
    if (!fs::exists(kSandbox)) GTEST_SKIP() << "bubblewrap is not installed";
    if (!fs::is_directory(PLOVANE_NAUTILUS_EXTENSION_DIR))
      GTEST_SKIP() << "no Nautilus extension folder " << PLOVANE_NAUTILUS_EXTENSION_DIR;
    if (runProcess({kPython, "-c", "import pyatspi"}).exitCode != 0)
      GTEST_SKIP() << "python3-pyatspi is not installed";
    if (::geteuid() == 0) {
      // The session must not run as root; the test's home becomes the user's.
      const passwd* nobody = ::getpwnam("nobody");
      if (nobody == nullptr) GTEST_SKIP() << "no unprivileged user \"nobody\" to run Nautilus as";
      user = User{nobody->pw_uid, nobody->pw_gid};
    }
    fs::copy_file(PLOVANE_NAUTILUS_MODULE, modules / kModuleName);

    environment = env.sessionEnvironment();
    environment["DBUS_SESSION_BUS_ADDRESS"] = "";
    const auto installed = runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{work.string()}, keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, keys::foldersArraystate);
    // Every command inside one submenu: the module builds Nautilus's submenus too.
    store->setBool(true, keys::showinSubMenu);
    ASSERT_TRUE(store->synchronize());
    // What the extension offers for the selection, asked without Nautilus.
    const auto offered =
        runProcess({PLOVANE_FINDER, "menu", (work / "notes.txt").string()}, environment);
    ASSERT_EQ(offered.exitCode, 0) << offered.standardError;
    ours = titlesOf(offered.standardOutput);
    ASSERT_FALSE(ours.empty()) << offered.standardError;

    // From here on only the session's user writes to the home: a lock file of root's would
    // keep it from writing the store.
    ASSERT_NO_FATAL_FAILURE(handHomeToUser());
    const auto sandboxed = asUser({kSandbox, "--dev-bind", "/", "/", "--bind", modules.string(),
                                   PLOVANE_NAUTILUS_EXTENSION_DIR, "--", "/bin/true"});
    if (sandboxed.exitCode != 0)
      GTEST_SKIP() << "cannot mount the module's folder over Nautilus's in a sandbox: "
                   << sandboxed.standardError;
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

  // The driver inside a sandbox: a process namespace of its own (all its programs end with it,
  // and it ends with this process), its own network namespace and /tmp (so its X server and
  // buses meet nobody else's), the test's home, and the module's folder where Nautilus looks.
  ProcessResult runNautilus(const std::string& entry, const std::string& button,
                            const fs::path& result) const {
    const auto home = env.home.path().string();
    const auto root = env.defaults.root();
    std::vector<std::string> arguments;
    const auto add = [&](std::initializer_list<std::string> more) {
      arguments.insert(arguments.end(), more);
    };
    add({kSandbox, "--die-with-parent", "--unshare-pid", "--unshare-net", "--clearenv"});
    add({"--dev-bind", "/", "/", "--proc", "/proc", "--tmpfs", "/tmp"});
    add({"--perms", "1777", "--dir", "/tmp/.X11-unix", "--bind", home, home});
    add({"--bind", modules.string(), PLOVANE_NAUTILUS_EXTENSION_DIR});
    auto session = environment;
    session.erase("DBUS_SESSION_BUS_ADDRESS");
    session["QT_QPA_PLATFORM"] = "xcb";
    session.insert({{"PATH", "/usr/local/bin:/usr/bin:/bin"},
                    {"LANG", "C.UTF-8"},
                    {"GDK_BACKEND", "x11"},
                    {"GSETTINGS_BACKEND", "memory"},
                    {"GSK_RENDERER", "cairo"},
                    {"GIO_USE_VOLUME_MONITOR", "unix"},
                    {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}});
    for (const auto& [name, value] : session) add({"--setenv", name, value});
    add({"--", kTimeout, kDriverSeconds, kPython, PLOVANE_REAL_FILE_MANAGER_DRIVER});
    add({"--logs", logs.string(), "--service-folder", (root / "dbus-1/services").string()});
    add({"--start-service", kExtensionService, "--ready", (root / kHostStateFile).string()});
    add({"--application", "org.gnome.Nautilus", "--entry", entry, "--dialog-button", button});
    add({"--wait-for", result.string()});
    // A picture of the open menu (for the README) when asked; it takes ImageMagick's import.
    if (std::getenv(kScreenshotVariable) != nullptr) add({"--screenshot", screenshot.string()});
    add({"--", "nautilus", "--select", (work / "notes.txt").string()});
    return asUser(arguments);
  }

  std::string logsText() const {
    std::string text;
    for (const auto& file : fs::directory_iterator(logs)) {
      if (file.path().extension() == ".log")
        text += "== " + file.path().filename().string() + "\n" + testing::fileContents(file);
    }
    return text;
  }

  testing::TestEnvironment env;
  std::optional<User> user;
  std::map<std::string, std::string> environment;
  std::vector<std::string> ours;  // the titles of the extension's menu, in order
  fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt", "photo.png"});
  fs::path modules = testing::makeFolder(env.home.path() / "nautilus-extensions");
  fs::path logs = testing::makeFolder(env.home.path() / "logs");
  fs::path screenshot = env.home.path() / "nautilus-menu.png";
};

TEST_F(RealNautilusTest, ShowsTheExtensionsSubmenuAndAnEntryClickedThereCreatesAFile) {
  ASSERT_EQ(ours.front(), "Plovane Menu") << joined(ours);
  const auto created = work / "Untitled.txt";
  const auto run = runNautilus("Plovane Menu > Create New Text File", "Save", created);
  ASSERT_EQ(run.exitCode, 0) << run.standardError << run.standardOutput << logsText();

  // The submenu holds every entry of the extension's menu, in its order.
  const auto shown = menuOf(run.standardOutput);
  EXPECT_NE(std::search(shown.begin(), shown.end(), ours.begin(), ours.end()), shown.end())
      << "Nautilus showed:\n"
      << joined(shown) << "the extension offers:\n"
      << joined(ours);
  // Nautilus's own entries are still there.
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Properties"), shown.end()) << joined(shown);
  // The extension's save panel, answered with its proposed name, created the file.
  EXPECT_TRUE(fs::is_regular_file(created)) << logsText();
  // The mount lived only in the sandbox.
  EXPECT_FALSE(fs::exists(fs::path(PLOVANE_NAUTILUS_EXTENSION_DIR) / kModuleName));

  if (const char* keep = std::getenv(kScreenshotVariable)) {
    fs::copy_file(screenshot, keep, fs::copy_options::overwrite_existing);
  }
}

}  // namespace
}  // namespace plovane
