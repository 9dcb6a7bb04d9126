// Every file manager's module, loaded by its harness the way that file manager loads it, against
// the real extension on a session bus of the test's own. The harnesses share one command line
// (see tests/bridges/MenuHarness.h) and register as "manager=HARNESS=MODULE".
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "RogueExtension.h"
#include "core/BusBridge.h"
#include "protocol/FinderSyncProtocol.h"
#include "protocol/HostStateKeys.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

namespace fs = std::filesystem;
namespace names = platform::protocol;
namespace host_state = platform::protocol::host_state;
using platform::PlistArray;
using testing::ProcessResult;

constexpr char kTimeoutProgram[] = "/usr/bin/timeout";
constexpr char kNoMenu[] = "(no menu)";

struct Harness {
  std::string manager;
  std::string program;
  std::string module;
};

// "manager=HARNESS=MODULE|..." as the build registered them.
std::vector<Harness> registeredHarnesses() {
  std::vector<Harness> harnesses;
  std::stringstream all(PLOVANE_BRIDGE_HARNESSES);
  for (std::string entry; std::getline(all, entry, '|');) {
    const auto first = entry.find('=');
    const auto last = entry.rfind('=');
    if (first == std::string::npos || first == last) continue;
    harnesses.push_back({entry.substr(0, first), entry.substr(first + 1, last - first - 1),
                         entry.substr(last + 1)});
  }
  return harnesses;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

bool hasLine(const std::string& text, const std::string& line) {
  const auto lines = linesOf(text);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The stand-in's printed menu as a harness prints it: indent and title, without the details.
std::string titlesOf(const std::string& finderMenu) {
  std::string titles;
  for (const auto& line : linesOf(finderMenu)) {
    const auto details = line.rfind("  [");
    titles += line.substr(0, details) + "\n";
  }
  return titles;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// Method calls to the extension seen on the bus by a monitor connection.
class CallMonitor {
 public:
  explicit CallMonitor(const std::string& address) {
    GError* error = nullptr;
    connection_ = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (connection_ == nullptr) {
      ADD_FAILURE() << "no monitor connection: " << error->message;
      g_error_free(error);
      return;
    }
    filter_ = g_dbus_connection_add_filter(connection_, &CallMonitor::filter, this, nullptr);
    const std::string rule =
        std::string("type='method_call',interface='") + names::kInterface + "'";
    const char* rules[] = {rule.c_str(), nullptr};
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus.Monitoring", "BecomeMonitor", g_variant_new("(^asu)", rules, 0u),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (reply == nullptr) {
      ADD_FAILURE() << "cannot monitor the bus: " << error->message;
      g_error_free(error);
      return;
    }
    g_variant_unref(reply);
  }
  ~CallMonitor() {
    if (connection_ == nullptr) return;
    g_dbus_connection_remove_filter(connection_, filter_);
    g_dbus_connection_close_sync(connection_, nullptr, nullptr);
    g_object_unref(connection_);
  }
  CallMonitor(const CallMonitor&) = delete;
  CallMonitor& operator=(const CallMonitor&) = delete;

  std::size_t calls(const std::string& member) {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count(members_.begin(), members_.end(), member));
  }

 private:
  // Runs on GDBus's worker thread; the calls seen are only counted, never answered.
  static GDBusMessage* filter(GDBusConnection*, GDBusMessage* message, gboolean incoming,
                              gpointer self) {
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL)
      return message;
    auto& monitor = *static_cast<CallMonitor*>(self);
    if (const char* member = g_dbus_message_get_member(message)) {
      std::lock_guard lock(monitor.mutex_);
      monitor.members_.emplace_back(member);
    }
    g_object_unref(message);
    return nullptr;
  }

  GDBusConnection* connection_ = nullptr;
  guint filter_ = 0;
  std::mutex mutex_;
  std::vector<std::string> members_;
};

class BridgeHarnessTest : public ::testing::TestWithParam<Harness> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(prepareSession());
    // The extension writes the directory set at its start: start it once, as a session would.
    GError* error = nullptr;
    GVariant* started =
        busCall("StartServiceByName", g_variant_new("(su)", names::kService, 0u), &error);
    ASSERT_NE(started, nullptr) << error->message << bus->log();
    g_variant_unref(started);
    ASSERT_TRUE(waitFor([&] { return directorySetHolds(work); }, std::chrono::seconds(20)))
        << bus->log();
  }

  // Installed, on a bus of the test's own, with `work` monitored in the store; nothing started.
  void prepareSession() {
    environment = env.sessionEnvironment();
    environment.insert(busEnvironment.begin(), busEnvironment.end());
    const auto installed = testing::runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    GError* error = nullptr;
    client = g_dbus_connection_new_for_address_sync(
        address().c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    ASSERT_NE(client, nullptr) << error->message;
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{work.string()}, keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, keys::foldersArraystate);
  }

  void TearDown() override {
    if (client == nullptr) return;
    g_dbus_connection_close_sync(client, nullptr, nullptr);
    g_object_unref(client);
    client = nullptr;
  }

  const Harness& harness() const { return GetParam(); }
  std::string address() const { return bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS"); }

  // The harness with the module, ended after `seconds` whatever it does (exit 137 then).
  ProcessResult run(const std::vector<std::string>& arguments, int seconds = 60) {
    std::vector<std::string> command = {
        kTimeoutProgram, "-s", "KILL", std::to_string(seconds), harness().program,
        harness().module};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return testing::runProcess(command, bus->clientEnvironment());
  }

  std::string menu(const std::string& kind, const std::vector<std::string>& paths) {
    std::vector<std::string> arguments = {"menu", kind};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    return result.standardOutput;
  }

  // The stand-in's menu for the same request, in a harness's form.
  std::string finderMenu(const std::string& kind, const std::string& path) {
    const auto result = testing::runProcess(
        {PLOVANE_FINDER, "menu", "--kind", kind == "background" ? "container" : "items", path},
        bus->clientEnvironment());
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    return titlesOf(result.standardOutput);
  }

  GVariant* busCall(const char* method, GVariant* parameters, GError** error) {
    return g_dbus_connection_call_sync(client, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", method, parameters, nullptr,
                                       G_DBUS_CALL_FLAGS_NONE, 30'000, nullptr, error);
  }

  bool extensionRuns() {
    GVariant* reply = busCall("NameHasOwner", g_variant_new("(s)", names::kService), nullptr);
    if (reply == nullptr) return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned != FALSE;
  }

  pid_t extensionPid() {
    GVariant* reply =
        busCall("GetConnectionUnixProcessID", g_variant_new("(s)", names::kService), nullptr);
    if (reply == nullptr) return -1;
    guint32 pid = 0;
    g_variant_get(reply, "(u)", &pid);
    g_variant_unref(reply);
    return static_cast<pid_t>(pid);
  }

  std::shared_ptr<platform::NSUserDefaults> hostState() {
    platform::UserDefaultsRoot root(env.defaults.root(), [](const std::string&) {});
    return root.standardUserDefaults(host_state::kDomain);
  }

  bool directorySetHolds(const fs::path& folder) {
    const auto folders = hostState()->arrayForKey(host_state::kDirectoryURLs);
    return folders && std::find(folders->begin(), folders->end(),
                                platform::PlistValue(folder.string())) != folders->end();
  }

  testing::TestEnvironment env;
  std::map<std::string, std::string>
      busEnvironment;  // what the extension runs with, beyond the session's
  std::map<std::string, std::string> environment;
  std::optional<testing::PrivateSessionBus> bus;
  GDBusConnection* client = nullptr;
  fs::path work = testing::makeFolder(env.home.path() / "Work", {"photo.png", "notes.txt"});
  fs::path elsewhere = testing::makeFolder(env.home.path() / "Elsewhere", {"other.txt"});
};

TEST_P(BridgeHarnessTest, TheMenuInsideAMonitoredFolderIsTheExtensionsAndThereIsNoneOutside) {
  const auto notes = (work / "notes.txt").string();
  const auto items = menu("items", {notes});
  EXPECT_TRUE(hasLine(items, "Hide item")) << items;
  EXPECT_TRUE(hasLine(items, "Utility Kit")) << items;
  EXPECT_EQ(items, finderMenu("items", notes));

  const auto background = menu("background", {work.string()});
  EXPECT_NE(background, std::string(kNoMenu) + "\n");
  EXPECT_EQ(background, finderMenu("background", work.string()));

  const auto both = menu("items", {notes, (work / "photo.png").string()});
  EXPECT_TRUE(hasLine(both, "Hide item")) << both;

  const std::string none = std::string(kNoMenu) + "\n";
  EXPECT_EQ(menu("items", {(elsewhere / "other.txt").string()}), none);
  EXPECT_EQ(menu("background", {elsewhere.string()}), none);
  EXPECT_EQ(menu("items", {notes, (elsewhere / "other.txt").string()}), none);
  // A folder whose name only begins like the monitored one's is not inside it.
  const auto sibling = testing::makeFolder(env.home.path() / "Workshop", {"a.txt"});
  EXPECT_EQ(menu("items", {(sibling / "a.txt").string()}), none);
}

TEST_P(BridgeHarnessTest, TheUserSwitchesTheMenuOffInThisFileManagerOnly) {
  const auto notes = (work / "notes.txt").string();
  hostState()->setObject(PlistArray{std::string("some-other-manager")},
                         host_state::kDisabledFileManagers);
  EXPECT_TRUE(hasLine(menu("items", {notes}), "Hide item"));

  hostState()->setObject(PlistArray{harness().manager}, host_state::kDisabledFileManagers);
  EXPECT_EQ(menu("items", {notes}), std::string(kNoMenu) + "\n");
  EXPECT_EQ(menu("background", {work.string()}), std::string(kNoMenu) + "\n");
}

TEST_P(BridgeHarnessTest, AnEntryOfASubmenuRunsItsCommandOnTheSelection) {
  env.openSuite()->setBool(true, keys::showinSubMenu);
  const auto notes = (work / "notes.txt").string();
  const auto wrapped = menu("items", {notes});
  const auto lines = linesOf(wrapped);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Plovane Menu") << wrapped;
  EXPECT_TRUE(hasLine(wrapped, "  Hide item")) << wrapped;
  EXPECT_FALSE(hasLine(wrapped, "Hide item")) << wrapped;

  // Not there: at the top level, or under a title the submenu lacks.
  EXPECT_EQ(run({"choose", "Hide item", "items", notes}).exitCode, 1);
  EXPECT_EQ(run({"choose", "Plovane Menu > No such entry", "items", notes}).exitCode, 1);

  const auto chosen =
      run({"choose", "--answer", "ok:" + notes, "Plovane Menu > Hide item", "items", notes});
  ASSERT_EQ(chosen.exitCode, 0) << chosen.standardError;
  EXPECT_TRUE(waitFor([&] { return testing::fileContents(work / ".hidden") == "notes.txt\n"; },
                      std::chrono::seconds(20)))
      << testing::fileContents(work / ".hidden") << bus->log();
  // The menu now offers the way back.
  EXPECT_TRUE(hasLine(menu("items", {notes}), "  Unhide item"));
}

// A Linux file name is bytes: one that is not UTF-8 gets the menu, and the command acts on it.
TEST_P(BridgeHarnessTest, ANameThatIsNotUtf8GetsTheMenuAndItsCommandActsOnThoseBytes) {
  const std::string name = "caf\xe9.txt";
  testing::makeFolder(work, {name.c_str()});
  const auto item = (work / name).string();
  EXPECT_TRUE(hasLine(menu("items", {item}), "Hide item"));

  const auto chosen = run({"choose", "--answer", "ok:" + item, "Hide item", "items", item});
  ASSERT_EQ(chosen.exitCode, 0) << chosen.standardError;
  EXPECT_TRUE(waitFor([&] { return testing::fileContents(work / ".hidden") == name + "\n"; },
                      std::chrono::seconds(20)))
      << testing::fileContents(work / ".hidden") << bus->log();
}

TEST_P(BridgeHarnessTest, ARightClickThatFindsTheExtensionGoneShowsTheMenuAtOnceOrAfterARefresh) {
  const pid_t pid = extensionPid();
  ASSERT_GT(pid, 0);
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  ASSERT_TRUE(waitFor([&] { return !extensionRuns(); }, std::chrono::seconds(20)));

  // The call starts it and waits within the limit: a quick start answers this right-click, a slow
  // one is followed by the file manager's refresh (or, in Thunar, the next popup).
  const auto notes = (work / "notes.txt").string();
  const auto result = run({"menu-after-refresh", "30", "items", notes});
  const auto lines = linesOf(result.standardOutput);
  const auto separator = std::find(lines.begin(), lines.end(), "--");
  ASSERT_NE(separator, lines.end()) << result.standardOutput << result.standardError;
  const auto first = joined({lines.begin(), separator});
  const auto after = joined({separator + 1, lines.end()});
  if (first == std::string(kNoMenu) + "\n") {
    EXPECT_EQ(result.exitCode, 0) << result.standardOutput << bus->log();
    EXPECT_EQ(after, finderMenu("items", notes));
  } else {
    EXPECT_EQ(first, finderMenu("items", notes));
  }
  EXPECT_TRUE(extensionRuns());

  // With the extension up, nothing asks for a refresh.
  const auto running = run({"menu-after-refresh", "1", "items", notes});
  EXPECT_EQ(running.exitCode, 2);
  EXPECT_TRUE(hasLine(running.standardOutput, "(no refresh)")) << running.standardOutput;
}

TEST_P(BridgeHarnessTest, AStalledExtensionIsNotWaitedForOnEveryRequest) {
  const pid_t pid = extensionPid();
  ASSERT_GT(pid, 0);
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);
  struct Resume {
    pid_t pid;
    ~Resume() { ::kill(pid, SIGCONT); }
  } resume{pid};

  // The process limit is far less than one call left to the bus's own 25 s: a call that waits
  // for the stalled extension without a limit of its own fails the test. After one request ran
  // out of time, the next ones leave the extension alone instead of waiting each in turn.
  const auto notes = (work / "notes.txt").string();
  CallMonitor monitor(address());
  const auto result = run({"menu-repeat", "20", "items", notes}, 6);
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  std::size_t noMenus = 0;
  for (const auto& line : linesOf(result.standardOutput)) {
    if (line == kNoMenu) {
      ++noMenus;
    } else {
      EXPECT_EQ(line, "--") << result.standardOutput;
    }
  }
  EXPECT_EQ(noMenus, 20u) << result.standardOutput;
  EXPECT_TRUE(waitFor([&] { return monitor.calls("Menu") > 0; }, std::chrono::seconds(5)));
  EXPECT_EQ(monitor.calls("Menu"), 1u);

  ::kill(pid, SIGCONT);
  EXPECT_TRUE(waitFor([&] { return hasLine(menu("items", {notes}), "Hide item"); },
                      std::chrono::seconds(20)))
      << bus->log();
}

TEST_P(BridgeHarnessTest, BadgeRequestsOfTheShownItemsReachTheExtensionInOneCall) {
  // Thunar's extension library has no emblem provider: nothing of Thunar's asks for badges.
  if (harness().manager == "thunar") GTEST_SKIP() << "Thunar asks for no badges";
  std::vector<std::string> arguments = {"emblems"};
  std::vector<std::string> inside;
  for (int index = 0; index < 40; ++index) {
    const auto name = "file" + std::to_string(index) + ".txt";
    testing::makeFolder(work, {name.c_str()});
    inside.push_back((work / name).string());
  }
  arguments.insert(arguments.end(), inside.begin(), inside.end());
  const auto outside = (elsewhere / "other.txt").string();
  arguments.push_back(outside);

  CallMonitor monitor(address());
  const auto result = run(arguments);
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  // The extension writes one line a call, with its count and first path: all 40 inside, and the
  // one outside left out.
  const std::string call = "requestBadgeIdentifiersForURLs: 40 items from ";
  ASSERT_TRUE(
      waitFor([&] { return bus->log().find(call) != std::string::npos; }, std::chrono::seconds(10)))
      << bus->log();
  const std::string log = bus->log();
  const auto first = log.find(call) + call.size();
  EXPECT_NE(
      std::find(inside.begin(), inside.end(), log.substr(first, log.find('\n', first) - first)),
      inside.end())
      << log;
  EXPECT_EQ(log.find("requestBadgeIdentifierForURL: "), std::string::npos);
  EXPECT_EQ(log.find(outside), std::string::npos);
  EXPECT_EQ(monitor.calls("RequestBadges"), 1u);
  EXPECT_EQ(monitor.calls("RequestBadge"), 0u);
}

// A menu asked meanwhile waits for the call in flight only: a large folder's requests go out in
// small calls, and all of them arrive.
TEST_P(BridgeHarnessTest, ManyShownItemsAskInSmallCalls) {
  if (harness().manager == "thunar") GTEST_SKIP() << "Thunar asks for no badges";
  constexpr std::size_t kPerCall = bridge::BusBridge::kBadgesPerCall;
  std::vector<std::string> arguments = {"emblems"};
  for (std::size_t index = 0; index < 2 * kPerCall + 1; ++index) {
    const auto name = "file" + std::to_string(index) + ".txt";
    testing::makeFolder(work, {name.c_str()});
    arguments.push_back((work / name).string());
  }
  const auto result = run(arguments);
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const auto last = "requestBadgeIdentifiersForURLs: 1 items from ";
  ASSERT_TRUE(
      waitFor([&] { return bus->log().find(last) != std::string::npos; }, std::chrono::seconds(10)))
      << bus->log();
  const auto full = "requestBadgeIdentifiersForURLs: " + std::to_string(kPerCall) + " items";
  const std::string log = bus->log();
  EXPECT_NE(log.find(full), log.rfind(full)) << log;
}

// A module that stays loaded, as in a file manager that runs for hours: the extension is
// started by the module alone, kept while the module is attached and started again when it goes.
class BridgeLifecycleTest : public BridgeHarnessTest {
 protected:
  BridgeLifecycleTest() { busEnvironment["PLOVANE_IDLE_EXIT_SECONDS"] = "1"; }
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(prepareSession()); }

  std::unique_ptr<testing::ConversingProcess> openFileManager() {
    auto manager = std::make_unique<testing::ConversingProcess>(
        std::vector<std::string>{harness().program, harness().module, "session"},
        bus->clientEnvironment(), env.home.path() / "file-manager.log");
    EXPECT_TRUE(manager->readUntil("ready", 20).has_value()) << managerLog();
    return manager;
  }

  std::string rightClick(testing::ConversingProcess& manager, const std::string& path) {
    manager.send("items\t" + path);
    return manager.readUntil("--", 20).value_or("(no answer)\n");
  }

  std::string managerLog() { return testing::fileContents(env.home.path() / "file-manager.log"); }

  const std::string notes = (work / "notes.txt").string();
};

TEST_P(BridgeLifecycleTest,
       TheModuleStartsTheExtensionItNeverSawAndKeepsItWhileTheFileManagerRuns) {
  ASSERT_FALSE(extensionRuns());
  auto manager = openFileManager();
  ASSERT_TRUE(
      waitFor([&] { return extensionRuns() && directorySetHolds(work); }, std::chrono::seconds(20)))
      << managerLog() << bus->log();
  EXPECT_TRUE(hasLine(rightClick(*manager, notes), "Hide item")) << bus->log();

  // Well past its idle time, the extension still serves the attached file manager.
  const pid_t pid = extensionPid();
  std::this_thread::sleep_for(std::chrono::seconds(3));
  EXPECT_EQ(extensionPid(), pid);
  EXPECT_TRUE(hasLine(rightClick(*manager, notes), "Hide item"));

  // Once the file manager has gone, nothing keeps it.
  manager.reset();
  EXPECT_TRUE(waitFor([&] { return !extensionRuns(); }, std::chrono::seconds(20))) << bus->log();
}

TEST_P(BridgeLifecycleTest, AKilledExtensionIsBackBeforeTheNextRightClick) {
  auto manager = openFileManager();
  ASSERT_TRUE(waitFor([&] { return extensionRuns(); }, std::chrono::seconds(20))) << bus->log();
  const pid_t killed = extensionPid();
  ASSERT_EQ(::kill(killed, SIGKILL), 0);
  ASSERT_TRUE(waitFor([&] { return extensionRuns() && extensionPid() != killed; },
                      std::chrono::seconds(20)))
      << managerLog() << bus->log();
  EXPECT_TRUE(hasLine(rightClick(*manager, notes), "Hide item")) << managerLog() << bus->log();
}

TEST_P(BridgeLifecycleTest, ACommandOrAFolderSwitchedOffIsGoneAtTheNextRightClick) {
  auto manager = openFileManager();
  ASSERT_TRUE(waitFor([&] { return extensionRuns() && directorySetHolds(work); },
                      std::chrono::seconds(20)));
  ASSERT_TRUE(hasLine(rightClick(*manager, notes), "Open Terminal")) << bus->log();

  auto store = env.openSuite();
  auto commands = store->arrayForKey(keys::menuArrayDic).value_or(PlistArray{});
  ASSERT_FALSE(commands.empty());
  auto first = *commands.front().as<platform::PlistDictionary>();
  ASSERT_EQ(*first.at("title").as<std::string>(), "Open Terminal");
  first["state"] = platform::PlistValue(std::int64_t{0});
  commands.front() = platform::PlistValue(std::move(first));
  store->setObject(platform::PlistValue(std::move(commands)), keys::menuArrayDic);
  ASSERT_TRUE(store->synchronize());
  const auto without = rightClick(*manager, notes);
  EXPECT_FALSE(hasLine(without, "Open Terminal")) << without;
  EXPECT_TRUE(hasLine(without, "Hide item")) << without;

  store->setValueForKeyPath(PlistArray{0}, keys::foldersArraystate);
  ASSERT_TRUE(store->synchronize());
  EXPECT_EQ(rightClick(*manager, notes), std::string(kNoMenu) + "\n");
}

// Whoever owns the extension's bus name answers the menu: replies a same-user process could send
// must neither crash the file manager nor be paid for at every right-click.
class RogueReplyTest : public BridgeHarnessTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(prepareSession());
    hostState()->setObject(PlistArray{work.string()}, host_state::kDirectoryURLs);
  }

  static std::string menuOf(const std::string& items) {
    return R"({"title":"","resources":"/nowhere","items":)" + items + "}";
  }
  static std::string entry(const std::string& title, const std::string& submenu = "") {
    return R"({"title":")" + title +
           R"(","action":"commenAction:","keyEquivalent":"","tag":0,"enabled":true)" +
           (submenu.empty() ? "" : R"(,"submenu":)" + submenu) + "}";
  }

  const std::string notes = (work / "notes.txt").string();
};

TEST_P(RogueReplyTest, ADeepOrHugeReplyGivesNoMenuOnceAndIsNotAskedForAgainAtOnce) {
  std::string submenus;
  for (int level = 0; level < 20'000; ++level) submenus += entry("a", "[");
  submenus += std::string(20'000, ']');
  std::string flat = "[" + entry("first");
  while (flat.size() < 3 * 1024 * 1024) flat += "," + entry("more");
  flat += "]";
  const std::vector<std::pair<const char*, std::string>> replies = {
      {"100,000 nested arrays", menuOf(std::string(100'000, '[') + std::string(100'000, ']'))},
      {"20,000 nested submenus", menuOf(submenus)},
      {"a flat menu of 3 MB", menuOf(flat)},
  };
  for (const auto& [kind, reply] : replies) {
    testing::RogueExtension rogue(address(), reply);
    ASSERT_TRUE(rogue.ownsName());
    const auto result = run({"menu-repeat", "3", "items", notes});
    EXPECT_EQ(result.exitCode, 0) << kind << ": " << result.standardError;
    EXPECT_EQ(result.standardOutput, std::string(kNoMenu) + "\n" + kNoMenu + "\n" + kNoMenu + "\n")
        << kind;
    EXPECT_EQ(rogue.menusAsked(), 1u) << kind;
  }
}

// The limit holds for the call and the reading of its reply together.
TEST_P(RogueReplyTest, ALargeReplyThatComesLateIsNotRead) {
  std::string items = "[" + entry("first");
  while (items.size() < 200 * 1024) items += "," + entry("more");
  items += "]";
  {
    testing::RogueExtension prompt(address(), menuOf(items));
    ASSERT_TRUE(prompt.ownsName());
    EXPECT_TRUE(hasLine(menu("items", {notes}), "first"));
  }
  // Answered after two thirds of the limit, it could not be read in the third left.
  testing::RogueExtension late(address(), menuOf(items), 100);
  ASSERT_TRUE(late.ownsName());
  EXPECT_EQ(menu("items", {notes}), std::string(kNoMenu) + "\n");
}

TEST_P(RogueReplyTest, ATitleThatIsNotUtf8ReachesTheFileManagerRepaired) {
  testing::RogueExtension rogue(address(), menuOf("[" + entry(R"(caf\ud800 au lait)") + "]"));
  ASSERT_TRUE(rogue.ownsName());
  const auto shown = menu("items", {notes});
  EXPECT_TRUE(g_utf8_validate(shown.c_str(), static_cast<gssize>(shown.size()), nullptr)) << shown;
  EXPECT_NE(shown.find("caf\xEF\xBF\xBD"), std::string::npos) << shown;
}

void PrintTo(const Harness& harness, std::ostream* out) { *out << harness.manager; }

std::string managerName(const ::testing::TestParamInfo<Harness>& info) {
  return info.param.manager;
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BridgeHarnessTest);
INSTANTIATE_TEST_SUITE_P(FileManagers, BridgeHarnessTest,
                         ::testing::ValuesIn(registeredHarnesses()), managerName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RogueReplyTest);
INSTANTIATE_TEST_SUITE_P(FileManagers, RogueReplyTest, ::testing::ValuesIn(registeredHarnesses()),
                         managerName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BridgeLifecycleTest);
INSTANTIATE_TEST_SUITE_P(FileManagers, BridgeLifecycleTest,
                         ::testing::ValuesIn(registeredHarnesses()), managerName);

}  // namespace
}  // namespace plovane
