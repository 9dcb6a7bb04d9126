// One body for both backends: what a receiver gets of another process's notifications.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <functional>
#include <memory>

#include "desktop/DBusNotificationCenter.h"
#include "sim/SimRunLoop.h"
#include "sim/SimServices.h"
#include "support/GuiApplication.h"

namespace platform {
namespace {

// Two processes' centers and a way to let pending deliveries happen.
class CenterPair {
 public:
  virtual ~CenterPair() = default;
  virtual NSDistributedNotificationCenter& sender() = 0;
  virtual NSDistributedNotificationCenter& receiver() = 0;
  // Delivers what is pending; returns once `done` holds or nothing more can arrive.
  virtual void deliver(const std::function<bool()>& done) = 0;
};

class SimPair final : public CenterPair {
 public:
  NSDistributedNotificationCenter& sender() override { return center_; }
  NSDistributedNotificationCenter& receiver() override { return center_; }
  void deliver(const std::function<bool()>&) override { loop_.drain(); }

 private:
  sim::SimRunLoop loop_;
  sim::Transcript transcript_;
  sim::SimNotificationCenter center_{loop_, transcript_};
};

class DBusPair final : public CenterPair {
 public:
  NSDistributedNotificationCenter& sender() override { return sender_; }
  NSDistributedNotificationCenter& receiver() override { return receiver_; }
  // A signal travels through the bus daemon: wait, within a bound, for the expected one. The
  // bus keeps one sender's signals in order, so anything posted before it has arrived too.
  void deliver(const std::function<bool()>& done) override {
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }

 private:
  desktop::DBusNotificationCenter sender_{
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, "plovane-sender")};
  desktop::DBusNotificationCenter receiver_{
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, "plovane-receiver")};
};

class NotificationCenterContractTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam() && !plovane::testing::sessionBusAvailable()) GTEST_SKIP() << "no session bus";
    pair = GetParam() ? std::unique_ptr<CenterPair>(std::make_unique<DBusPair>())
                      : std::make_unique<SimPair>();
  }
  std::unique_ptr<CenterPair> pair;
};

TEST_P(NotificationCenterContractTest, ObserverGetsExactlyItsNameAndObject) {
  int wanted = 0, other = 0;
  pair->receiver().addObserver("ShowUtilityKit", "com.quenlow.plovanemenu.findersyncextension",
                               [&] { ++wanted; });
  pair->receiver().addObserver("AttachFileToMail", "com.quenlow.plovanemenu.findersyncextension",
                               [&] { ++other; });
  pair->sender().postNotificationName("ShowUtilityKit", "com.quenlow.plovanemenu.elsewhere");
  pair->sender().postNotificationName("ShowUtilityKit",
                                      "com.quenlow.plovanemenu.findersyncextension");
  pair->deliver([&] { return wanted > 0; });
  EXPECT_EQ(wanted, 1);
  EXPECT_EQ(other, 0);

  pair->sender().postNotificationName("AttachFileToMail",
                                      "com.quenlow.plovanemenu.findersyncextension");
  pair->deliver([&] { return other > 0; });
  EXPECT_EQ(wanted, 1);
  EXPECT_EQ(other, 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, NotificationCenterContractTest, ::testing::Values(false, true),
                         [](const auto& backend) { return backend.param ? "DBus" : "Sim"; });

}  // namespace
}  // namespace platform
