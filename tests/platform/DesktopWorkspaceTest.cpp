// The desktop workspace against real programs stood in for by the argument recorder, a private
// session bus and a fake file manager on it.
#include "desktop/DesktopWorkspace.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include "desktop/BusNames.h"
#include "protocol/FinderSyncProtocol.h"
#include "sim/RecordingSystemLog.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/QtApplication.h"
#include "support/RecordedLaunch.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

using plovane::testing::EnvironmentOverride;
using plovane::testing::RecordedLaunch;
using plovane::testing::TemporaryFolder;

class DesktopWorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override { plovane::testing::qtApplication(); }

  DesktopWorkspace workspaceWith(std::optional<std::filesystem::path> gsettings) {
    return DesktopWorkspace(QDBusConnection::sessionBus(), BundleRegistry({home.path()}), log,
                            std::move(gsettings));
  }

  TemporaryFolder home;
  sim::RecordingSystemLog log;
  DesktopWorkspace workspace{QDBusConnection::sessionBus(),
                             BundleRegistry({home.path() / "Applications"}), log};
  RecordedLaunch recorded{home.path()};
};

TEST_F(DesktopWorkspaceTest, OpensPathsAndURLsWithXdgOpenByArgumentVector) {
  EnvironmentOverride path("PATH", recorded.binWith("xdg-open").string());
  const auto odd = NSURL::fileURLWithPath((home.path() / "a 'b' $(c).txt").string());
  EXPECT_TRUE(workspace.openURL(odd));
  EXPECT_EQ(recorded.arguments(), (std::vector<std::string>{"xdg-open", odd.path()}));
  EXPECT_TRUE(log.logLines.empty());
}

// A folder to put first on PATH whose xdg-open runs `script`.
std::filesystem::path xdgOpenRunning(const std::filesystem::path& folder,
                                     const std::string& script) {
  const auto bin = plovane::testing::makeFolder(folder / "xdg-open-bin");
  std::ofstream(bin / "xdg-open") << "#!/bin/sh\n" << script << "\n";
  std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
  return bin;
}

std::string pathWithFirst(const std::filesystem::path& folder) {
  return folder.string() + ":" + std::getenv("PATH");
}

TEST_F(DesktopWorkspaceTest, OpeningFailsWithOneLineWhenNothingHandlesTheTarget) {
  EnvironmentOverride path("PATH", pathWithFirst(xdgOpenRunning(home.path(), "exit 3")));
  EXPECT_FALSE(workspace.openURLString("gopher://example.invalid/"));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("gopher://example.invalid/"), std::string::npos);
  EXPECT_NE(log.logLines[0].find("code 3"), std::string::npos) << log.logLines[0];
}

// A handler that stays (a browser, a mail client) has taken the target; it is left to run, and
// reaped once it ends.
TEST_F(DesktopWorkspaceTest, AHandlerStillRunningAfterTheWaitHasTakenTheTarget) {
  const auto pidFile = home.path() / "handler.pid";
  EnvironmentOverride path(
      "PATH", pathWithFirst(xdgOpenRunning(
                  home.path(), "echo $$ > '" + pidFile.string() + "'\nexec sleep 120")));
  EXPECT_TRUE(workspace.openURLString("https://example.invalid/"));
  EXPECT_TRUE(log.logLines.empty());

  const pid_t handler = std::stoi(plovane::testing::fileContents(pidFile));
  ASSERT_EQ(::kill(handler, SIGKILL), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(handler, 0) != 0; }, 10'000))
      << "the ended handler was not reaped";
}

TEST_F(DesktopWorkspaceTest, StoreLinksOpenTheSameProductPageOverHttps) {
  EnvironmentOverride path("PATH", recorded.binWith("xdg-open").string());
  EXPECT_TRUE(
      workspace.openURLString("macappstore://apps.apple.com/app/plovane-menu/id1480917320"));
  EXPECT_EQ(recorded.arguments(),
            (std::vector<std::string>{"xdg-open",
                                      "https://apps.apple.com/app/plovane-menu/id1480917320"}));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("opening https://apps.apple.com/app/plovane-menu/id1480917320"),
            std::string::npos)
      << log.logLines[0];
}

TEST_F(DesktopWorkspaceTest, OpeningFailsWithOneLineWithoutXdgOpen) {
  EnvironmentOverride path("PATH", plovane::testing::makeFolder(home.path() / "empty").string());
  EXPECT_FALSE(workspace.openURLString("https://example.invalid/"));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("xdg-open"), std::string::npos);
  EXPECT_NE(log.logLines[0].find("https://example.invalid/"), std::string::npos);
}

TEST_F(DesktopWorkspaceTest, LaunchesTheBundleRegisteredForAnIdentifier) {
  const auto bundle = home.path() / "Applications" / "Probe.app";
  plovane::testing::writeBundleInfo(
      bundle,
      "<key>CFBundleIdentifier</key><string>com.quenlow.probe</string>"
      "<key>CFBundleExecutable</key><string>probe</string>");
  RecordedLaunch::install(bundle, "probe");
  EXPECT_TRUE(workspace.launchAppWithBundleIdentifier("com.quenlow.probe"));
  EXPECT_EQ(recorded.arguments(), std::vector<std::string>{"probe"});
  EXPECT_TRUE(log.logLines.empty());

  EXPECT_FALSE(workspace.launchAppWithBundleIdentifier("com.quenlow.absent"));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("no bundle with identifier com.quenlow.absent"),
            std::string::npos);
}

TEST_F(DesktopWorkspaceTest, OpeningAnApplicationRunsItAndOneThatCannotRunSaysWhy) {
  EnvironmentOverride path("PATH", recorded.binWith("xdg-open").string());
  const auto bundle = home.path() / "Elsewhere" / "Tool.app";
  plovane::testing::writeBundleInfo(bundle, "<key>CFBundleExecutable</key><string>tool</string>");
  RecordedLaunch::install(bundle, "tool");
  EXPECT_TRUE(workspace.openURL(NSURL::fileURLWithPath(bundle.string())));
  EXPECT_EQ(recorded.arguments(), std::vector<std::string>{"tool"});

  const auto broken = home.path() / "Broken.app";
  plovane::testing::writeBundleInfo(broken, "");
  EXPECT_FALSE(workspace.openURL(NSURL::fileURLWithPath(broken.string())));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("names no CFBundleExecutable"), std::string::npos)
      << log.logLines[0];
}

TEST_F(DesktopWorkspaceTest, DesktopPictureIsWrittenForBothStylesAndReadBack) {
  const auto gsettings = findOnPath({"gsettings"});
  if (!gsettings) GTEST_SKIP() << "gsettings is not installed";
  // The key-file backend keeps the values in our folder, with no settings service involved.
  EnvironmentOverride backend("GSETTINGS_BACKEND", "keyfile");
  EnvironmentOverride config("XDG_CONFIG_HOME", home.path().string());
  // Quotes for the settings' own syntax, and a name that is not UTF-8 (kept byte for byte).
  const auto picture = home.path() / "my 'holiday' caf\xe9.png";
  plovane::testing::makeFolder(home.path(), {"my 'holiday' caf\xe9.png"});

  EXPECT_EQ(workspaceWith(gsettings).setDesktopImageURL(NSURL::fileURLWithPath(picture.string()),
                                                        NSScreen{"default"}),
            std::nullopt);
  const std::string expected =
      "'file://" + home.path().string() + "/my%20%27holiday%27%20caf%E9.png'\n";
  for (const char* key : {"picture-uri", "picture-uri-dark"}) {
    EXPECT_EQ(plovane::testing::runProcess(
                  {gsettings->string(), "get", "org.gnome.desktop.background", key})
                  .standardOutput,
              expected)
        << key;
  }
  EXPECT_TRUE(log.logLines.empty());
}

TEST_F(DesktopWorkspaceTest, DesktopPictureFailsWhenTheValueDoesNotTakeOrNoGsettings) {
  plovane::testing::makeFolder(home.path(), {"picture.png"});
  const auto picture = NSURL::fileURLWithPath((home.path() / "picture.png").string());
  // Exits 0 and prints nothing, like a write that no settings service kept.
  const auto lost = workspaceWith("/bin/true").setDesktopImageURL(picture, NSScreen{"default"});
  ASSERT_TRUE(lost);
  EXPECT_NE(lost->localizedDescription.find("did not take"), std::string::npos);

  const auto missing = workspaceWith(std::nullopt).setDesktopImageURL(picture, NSScreen{"default"});
  ASSERT_TRUE(missing);
  EXPECT_NE(missing->localizedDescription.find("gsettings is not installed"), std::string::npos);
  EXPECT_EQ(log.logLines.size(), 2u);
}

// Answers ShowItems as a file manager does, keeping what it was asked to show.
class FakeFileManager final : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QStringLiteral("ShowItems")) return false;
    shown.push_back(message.arguments().value(0).toStringList());
    connection.send(message.createReply());
    return true;
  }
  std::vector<QStringList> shown;
};

// A session bus of the test's own, with no file manager on it but the one a test puts there.
class FileViewerTest : public DesktopWorkspaceTest {
 protected:
  QDBusConnection connect(const QString& name) {
    return QDBusConnection::connectToBus(
        QString::fromStdString(bus.clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")), name);
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus("viewer");
    QDBusConnection::disconnectFromBus("fake-file-manager");
  }

  TemporaryFolder busFolder;
  plovane::testing::PrivateSessionBus bus{busFolder.path(), busFolder.path(), {}};
  DesktopWorkspace viewer{connect("viewer"), BundleRegistry({home.path()}), log};
};

TEST_F(FileViewerTest, ShowsTheItemsAsURIs) {
  FakeFileManager fileManager;
  auto owner = connect("fake-file-manager");
  ASSERT_TRUE(owner.registerVirtualObject(bus::kFileManagerPath, &fileManager));
  ASSERT_TRUE(owner.registerService(bus::kFileManagerService));

  const auto item = home.path() / "Ünï code.txt";
  viewer.activateFileViewerSelectingURLs({NSURL::fileURLWithPath(item.string())});
  EXPECT_TRUE(QTest::qWaitFor([&] { return !fileManager.shown.empty(); }, 5000));
  ASSERT_EQ(fileManager.shown.size(), 1u);
  EXPECT_EQ(fileManager.shown[0],
            QStringList{"file://" + QString::fromStdString(home.path().string()) +
                        "/%C3%9Cn%C3%AF%20code.txt"});
  EXPECT_TRUE(log.logLines.empty());
}

TEST_F(FileViewerTest, FallsBackToOpeningTheFolderWithoutAFileManager) {
  EnvironmentOverride path("PATH", recorded.binWith("xdg-open").string());
  viewer.activateFileViewerSelectingURLs({NSURL::fileURLWithPath((home.path() / "a").string())});
  EXPECT_TRUE(QTest::qWaitFor([&] { return !log.logLines.empty(); }, 5000));
  EXPECT_EQ(recorded.arguments(), (std::vector<std::string>{"xdg-open", home.path().string()}));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("no file manager owns"), std::string::npos);
}

// The same bus, on which no service file provides the extension.
class ExtensionsPaneTest : public FileViewerTest {
 protected:
  const NSURL extensionsPane =
      NSURL::fileURLWithPath("/System/Library/PreferencePanes/Extensions.prefPane");
};

// The bus cannot start an extension it has no service file for: there is nothing to turn on.
// Which file managers show the menu can be chosen all the same.
TEST_F(ExtensionsPaneTest, TheExtensionsPaneFailsWhenTheExtensionIsNotInstalled) {
  const auto pane = recorded.binWith("plovane-integration") / "plovane-integration";
  DesktopWorkspace withPane(connect("viewer"), BundleRegistry({home.path()}), log, std::nullopt,
                            pane);
  EXPECT_FALSE(withPane.openURL(extensionsPane));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("the extension is not installed"), std::string::npos)
      << log.logLines[0];
  EXPECT_NE(log.logLines[0].find(protocol::kService), std::string::npos);
  EXPECT_EQ(recorded.arguments(), std::vector<std::string>{"plovane-integration"});
}

TEST_F(ExtensionsPaneTest, WithoutTheIntegrationPaneBesideItOneLineSaysSo) {
  EXPECT_FALSE(viewer.openURL(extensionsPane));
  ASSERT_EQ(log.logLines.size(), 2u);
  EXPECT_NE(log.logLines[1].find("no plovane-integration beside this program"), std::string::npos)
      << log.logLines[1];
}

}  // namespace
}  // namespace platform::desktop
