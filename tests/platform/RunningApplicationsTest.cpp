// Programs publish themselves on the bus; the workspace lists them with their policies.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/RunningApplicationRegistration.h"
#include "desktop/RunningApplications.h"
#include "support/PrivateSessionBus.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

constexpr char kSettingsApp[] = "com.quenlow.plovanemenu.settings-app";

// Another process's connection: a bus name it owns is released when the test ends with it.
class OtherProcess {
 public:
  OtherProcess(const QString& address, const char* name)
      : name_(name), connection_(QDBusConnection::connectToBus(address, name)) {}
  ~OtherProcess() { QDBusConnection::disconnectFromBus(name_); }
  QDBusConnection& connection() { return connection_; }

 private:
  QString name_;
  QDBusConnection connection_;
};

// Each test has a bus of its own, so no other program (or test) running meanwhile is listed.
class RunningApplicationsTest : public ::testing::Test {
 protected:
  void SetUp() override { plovane::testing::qtApplication(); }

  QString address() const {
    return QString::fromStdString(bus.clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS"));
  }
  std::optional<NSApplicationActivationPolicy> listedPolicy(const std::string& bundleIdentifier) {
    for (const auto& application : runningApplicationsOn(workspace.connection())) {
      if (application.bundleIdentifier == bundleIdentifier) return application.activationPolicy;
    }
    return std::nullopt;
  }

  plovane::testing::TemporaryFolder folder;
  plovane::testing::PrivateSessionBus bus{folder.path(), folder.path(), {}};
  OtherProcess workspace{address(), "plovane-workspace"};
};

TEST_F(RunningApplicationsTest, ListsPublishedProgramsWithTheirPolicyUntilTheyQuit) {
  OtherProcess settings(address(), "plovane-settings-app");
  {
    QObject application;
    auto* registration =
        new RunningApplicationRegistration(&application, NSApplicationActivationPolicy::accessory);
    ASSERT_TRUE(registration->publish(settings.connection(), kSettingsApp));
    EXPECT_EQ(listedPolicy(kSettingsApp), NSApplicationActivationPolicy::accessory);

    // A second instance neither takes the name nor changes what is listed.
    OtherProcess second(address(), "plovane-settings-app-2");
    QObject secondApplication;
    auto* secondRegistration = new RunningApplicationRegistration(
        &secondApplication, NSApplicationActivationPolicy::regular);
    EXPECT_FALSE(secondRegistration->publish(second.connection(), kSettingsApp));
    EXPECT_EQ(listedPolicy(kSettingsApp), NSApplicationActivationPolicy::accessory);
  }
  EXPECT_EQ(listedPolicy(kSettingsApp), std::nullopt);
}

TEST_F(RunningApplicationsTest, NamesWithoutThePolicyAreRegularAndBusNamesAreNoPrograms) {
  OtherProcess plain(address(), "plovane-plain");
  ASSERT_TRUE(plain.connection().registerService("com.quenlow.plain"));
  EXPECT_EQ(listedPolicy("com.quenlow.plain"), NSApplicationActivationPolicy::regular);
  for (const auto& application : runningApplicationsOn(workspace.connection())) {
    EXPECT_FALSE(application.bundleIdentifier->starts_with(":"));
    EXPECT_NE(application.bundleIdentifier, "org.freedesktop.DBus");
  }
}

// The path is the identifier's: another object already exported there keeps it.
TEST_F(RunningApplicationsTest, AnObjectAlreadyAtThePathIsNotTakenOver) {
  OtherProcess program(address(), "plovane-program");
  QObject other;
  const QString path = objectPathForBundleIdentifier(kSettingsApp);
  EXPECT_EQ(path, "/com/quenlow/plovanemenu/settings_app");
  ASSERT_TRUE(program.connection().registerObject(path, &other));
  QObject application;
  auto* registration =
      new RunningApplicationRegistration(&application, NSApplicationActivationPolicy::regular);
  EXPECT_FALSE(registration->publish(program.connection(), kSettingsApp));
  EXPECT_EQ(listedPolicy(kSettingsApp), std::nullopt);
}

TEST_F(RunningApplicationsTest, EachQuestionSeesTheCurrentPolicy) {
  OtherProcess settings(address(), "plovane-settings-app");
  QObject application;
  auto* registration =
      new RunningApplicationRegistration(&application, NSApplicationActivationPolicy::accessory);
  ASSERT_TRUE(registration->publish(settings.connection(), kSettingsApp));
  EXPECT_EQ(listedPolicy(kSettingsApp), NSApplicationActivationPolicy::accessory);
  registration->setActivationPolicy(NSApplicationActivationPolicy::regular);
  EXPECT_EQ(listedPolicy(kSettingsApp), NSApplicationActivationPolicy::regular);
}

}  // namespace
}  // namespace platform::desktop
