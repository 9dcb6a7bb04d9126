// The real extension as the session bus starts it, where its X display does not answer and no
// program stands in for Terminal: it still answers menus, tells the person why a chosen command
// failed, follows the settings while it runs, and ends with the session.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>
#include <algorithm>
#include <fstream>

#include "desktop/BusNames.h"
#include "desktop/findersync/FinderSyncClient.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

namespace fs = std::filesystem;
using platform::NSURL;
using platform::PlistArray;
using platform::desktop::TransportedMenu;

// Answers Notify as the desktop's notification server does, keeping what it was asked to show.
class FakeNotificationServer final : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QStringLiteral("Notify")) return false;
    const auto arguments = message.arguments();
    // Application, summary and body.
    shown.push_back({arguments.value(0).toString().toStdString(),
                     arguments.value(3).toString().toStdString(),
                     arguments.value(4).toString().toStdString()});
    connection.send(message.createReply(QVariant::fromValue(1u)));
    return true;
  }
  std::vector<std::vector<std::string>> shown;
};

class RunningExtensionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::qtApplication();
    auto environment = env.sessionEnvironment();
    const auto installed = testing::runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    // No X server answers there, and Qt's X plugin is asked for, as at a desktop.
    environment["DISPLAY"] = ":99999";
    environment["QT_QPA_PLATFORM"] = "xcb";
    environment["PATH"] = testing::makeFolder(env.home.path() / "no-programs").string();
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    client.emplace(connection("running-extension-client"));
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus("running-extension-client");
    QDBusConnection::disconnectFromBus("fake-notifications");
  }

  QDBusConnection connection(const char* name) {
    return QDBusConnection::connectToBus(
        QString::fromStdString(bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")), name);
  }
  void monitor(PlistArray flags) {
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{work.string(), other.string()}, keys::foldersArray);
    store->setValueForKeyPath(std::move(flags), keys::foldersArraystate);
  }
  // The entries of the menu for the item; none, and a failure, when the call failed.
  std::vector<platform::NSMenuItem> menu() {
    auto answered = client->menu(platform::FIMenuKind::contextualMenuForItems, item);
    if (auto* menu = std::get_if<TransportedMenu>(&answered)) return menu->menu->items;
    ADD_FAILURE() << std::get<std::string>(answered) << bus->log();
    return {};
  }
  PlistArray directorySet() {
    platform::UserDefaultsRoot reader(env.defaults.root(), [](const std::string&) {});
    return reader.standardUserDefaults(platform::protocol::host_state::kDomain)
        ->arrayForKey(platform::protocol::host_state::kDirectoryURLs)
        .value_or(PlistArray{});
  }

  testing::TestEnvironment env;
  std::optional<testing::PrivateSessionBus> bus;
  fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
  fs::path other = testing::makeFolder(env.home.path() / "Other");
  std::vector<NSURL> item{NSURL::fileURLWithPath((work / "notes.txt").string())};
  std::optional<platform::desktop::FinderSyncClient> client;
};

TEST_F(RunningExtensionTest, AnswersMenusWhereItsDisplayCannotBeReached) {
  monitor({1, 0});
  EXPECT_FALSE(menu().empty());
  EXPECT_NE(bus->log().find("the display :99999 cannot be reached"), std::string::npos)
      << bus->log();
}

TEST_F(RunningExtensionTest, ACommandThatFailsTellsThePersonWhy) {
  FakeNotificationServer server;
  auto notifications = connection("fake-notifications");
  ASSERT_TRUE(notifications.registerVirtualObject("/org/freedesktop/Notifications", &server));
  ASSERT_TRUE(notifications.registerService("org.freedesktop.Notifications"));
  monitor({1, 0});
  const auto entries = menu();
  const auto terminal = std::find_if(entries.begin(), entries.end(), [](const auto& entry) {
    return entry.title == "Open Terminal";
  });
  ASSERT_NE(terminal, entries.end());

  client->performAndWait(*terminal, item, 10'000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !server.shown.empty(); }, 10'000)) << bus->log();
  EXPECT_EQ(server.shown,
            (std::vector<std::vector<std::string>>{
                {"Plovane Menu", "Open Terminal", "No terminal program is installed."}}));
  EXPECT_NE(bus->log().find("cannot launch com.apple.Terminal"), std::string::npos) << bus->log();

  // Without a notification server the log alone says it.
  ASSERT_TRUE(notifications.unregisterService("org.freedesktop.Notifications"));
  client->performAndWait(*terminal, item, 10'000);
  const std::string logged = "no notification shown for \"Open Terminal\"";
  EXPECT_TRUE(QTest::qWaitFor([&] { return bus->log().find(logged) != std::string::npos; }, 10'000))
      << bus->log();
  EXPECT_EQ(server.shown.size(), 1u);
}

TEST_F(RunningExtensionTest, FoldersSwitchedInTheStoreReachTheDirectorySetAndTheMenu) {
  monitor({1, 0});
  ASSERT_FALSE(menu().empty());
  ASSERT_EQ(directorySet(), PlistArray{work.string()});

  // Switched on, a folder reaches the file managers' directory set before any menu is asked.
  monitor({1, 1});
  EXPECT_TRUE(QTest::qWaitFor([&] { return directorySet().size() == 2; }, 10'000)) << bus->log();

  // Switched off, it has no menu at the next right-click, whatever the asking module still knew.
  monitor({0, 1});
  EXPECT_TRUE(menu().empty());
  EXPECT_EQ(directorySet(), PlistArray{other.string()});
}

// Nothing keeps it: no file manager attached, no dialog, and the idle exit far off.
TEST_F(RunningExtensionTest, EndsWithTheSessionItServes) {
  monitor({1, 0});
  ASSERT_FALSE(menu().empty());
  const QDBusMessage asked =
      connection("running-extension-client")
          .call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", "GetConnectionUnixProcessID")
                << QString::fromLatin1(platform::protocol::kService));
  ASSERT_EQ(asked.type(), QDBusMessage::ReplyMessage) << asked.errorMessage().toStdString();
  const auto proc = fs::path("/proc") / std::to_string(asked.arguments().value(0).toUInt());
  client.reset();
  QDBusConnection::disconnectFromBus("running-extension-client");
  bus.reset();
  // Gone, or a zombie its new parent has yet to reap.
  const auto ended = [&] {
    std::ifstream status(proc / "status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.starts_with("State:")) return line.find('Z') != std::string::npos;
    }
    return true;
  };
  EXPECT_TRUE(QTest::qWaitFor(ended, 10'000));
}

}  // namespace
}  // namespace plovane
