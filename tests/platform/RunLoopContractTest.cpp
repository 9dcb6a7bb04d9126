// One body for both backends: the order in which queued work, delays and timers run, what a
// sleep does, and which scripts run. The sim moves its clock; the desktop waits on Qt's loop.
#include <gtest/gtest.h>

#include <QObject>
#include <QTest>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/DesktopAppleScript.h"
#include "desktop/HostDirectorySet.h"
#include "desktop/QtRunLoop.h"
#include "sim/SimRunLoop.h"
#include "sim/SimServices.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform {
namespace {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual RunLoop& runLoop() = 0;
  virtual NSAppleScript& appleScript() = 0;
  // Lets the loop run its queued, delayed and timed work for `seconds` of its time.
  virtual void runFor(double seconds) = 0;
  // Lets the loop run until `done` holds; false when it never does.
  virtual bool runUntil(const std::function<bool()>& done) = 0;
};

class SimBackend final : public Backend {
 public:
  RunLoop& runLoop() override { return loop_; }
  NSAppleScript& appleScript() override { return script_; }
  void runFor(double seconds) override {
    loop_.drain();
    loop_.advanceBy(seconds);
    loop_.drain();
  }
  bool runUntil(const std::function<bool()>& done) override {
    for (int step = 0; step < 1000 && !done(); ++step) runFor(0.01);
    return done();
  }

 private:
  sim::Transcript transcript_;
  sim::SimRunLoop loop_;
  sim::SimAppleScript script_{transcript_, loop_};
};

class DesktopBackend final : public Backend {
 public:
  DesktopBackend() { plovane::testing::qtApplication(); }
  RunLoop& runLoop() override { return loop_; }
  NSAppleScript& appleScript() override { return script_; }
  void runFor(double seconds) override { QTest::qWait(static_cast<int>(seconds * 1000)); }
  bool runUntil(const std::function<bool()>& done) override {
    return QTest::qWaitFor(done, 10'000);
  }

 private:
  plovane::testing::TestEnvironment env_;
  QObject context_;
  desktop::QtRunLoop loop_{context_};
  desktop::HostDirectorySet requests_{env_.defaults};
  desktop::DesktopAppleScript script_{env_.defaults, requests_, loop_, env_.log};
};

class RunLoopContractTest : public ::testing::TestWithParam<bool> {
 protected:
  RunLoopContractTest() {
    if (GetParam()) {
      backend = std::make_unique<DesktopBackend>();
    } else {
      backend = std::make_unique<SimBackend>();
    }
  }
  double secondsNow() { return backend->runLoop().now().secondsSince2001; }
  Block record(std::string name) {
    return [this, name] { ran.push_back(name); };
  }

  std::unique_ptr<Backend> backend;
  std::vector<std::string> ran;
};

TEST_P(RunLoopContractTest, MainQueueBlocksRunInTheirOrderOnceTheCallerHasReturned) {
  for (const char* name : {"first", "second", "third"}) {
    backend->runLoop().dispatchAsyncMain(record(name));
  }
  EXPECT_TRUE(ran.empty());
  ASSERT_TRUE(backend->runUntil([&] { return ran.size() == 3; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "third"}));
}

TEST_P(RunLoopContractTest, DelaysRunInTheOrderOfTheirMomentsAfterQueuedWork) {
  backend->runLoop().dispatchAfter(0.08, record("later"));
  backend->runLoop().dispatchAfter(0.02, record("sooner"));
  backend->runLoop().dispatchAsyncMain(record("queued"));
  ASSERT_TRUE(backend->runUntil([&] { return ran.size() == 3; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"queued", "sooner", "later"}));
}

TEST_P(RunLoopContractTest, GlobalWorkHandsItsResultBackThroughTheMainQueue) {
  std::atomic<bool> worked = false;
  backend->runLoop().dispatchAsyncGlobal([&] {
    worked = true;
    backend->runLoop().dispatchAsyncMain(record("back on main"));
  });
  ASSERT_TRUE(backend->runUntil([&] { return !ran.empty(); }));
  EXPECT_TRUE(worked);
  EXPECT_EQ(ran, std::vector<std::string>{"back on main"});
}

TEST_P(RunLoopContractTest, ARepeatingTimerRunsUntilInvalidatedAndAOneShotEndsItself) {
  int repeats = 0;
  int once = 0;
  const auto repeating = backend->runLoop().scheduledTimer(0.01, true, [&] { ++repeats; });
  const auto oneShot = backend->runLoop().scheduledTimer(0.01, false, [&] { ++once; });
  ASSERT_TRUE(backend->runUntil([&] { return repeats >= 3 && once == 1; }));
  EXPECT_TRUE(repeating->isValid());
  EXPECT_FALSE(oneShot->isValid());
  repeating->invalidate();
  EXPECT_FALSE(repeating->isValid());
  const int stoppedAt = repeats;
  backend->runFor(0.05);
  EXPECT_EQ(repeats, stoppedAt);
  EXPECT_EQ(once, 1);
}

TEST_P(RunLoopContractTest, ASleepMovesTheClockAndRunsNothingQueued) {
  backend->runLoop().dispatchAsyncMain(record("queued"));
  const double before = secondsNow();
  backend->runLoop().sleep(0.03);
  EXPECT_GE(secondsNow() - before, 0.03 - 1e-6);
  EXPECT_TRUE(ran.empty());
  EXPECT_TRUE(backend->runUntil([&] { return ran.size() == 1; }));
}

TEST_P(RunLoopContractTest, OnlyADelayScriptRunsAndEveryOtherScriptSaysItDidNot) {
  const double before = secondsNow();
  EXPECT_TRUE(backend->appleScript().executeSource("delay 0.03"));
  EXPECT_GE(secondsNow() - before, 0.03 - 1e-6);
  for (const char* refused :
       {"tell application \"Finder\" to activate", "delay -1", "delay soon", "delay 1 2", ""}) {
    EXPECT_FALSE(backend->appleScript().executeSource(refused)) << refused;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, RunLoopContractTest, ::testing::Values(false, true),
                         [](const auto& backend) { return backend.param ? "Desktop" : "Sim"; });

}  // namespace
}  // namespace platform
