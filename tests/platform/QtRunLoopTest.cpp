#include "desktop/QtRunLoop.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "support/QtApplication.h"

namespace platform::desktop {
namespace {

// Runs the Qt event loop until `done` holds, or fails after a generous while.
void runUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(1);
  QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
  loop.exec();
  ASSERT_TRUE(done());
}

TEST(QtRunLoopTest, MainBlocksRunInOrderOnTheMainThreadAndTheLastOneReportsIdle) {
  auto& application = plovane::testing::qtApplication();
  QtRunLoop runLoop(application);
  std::vector<std::string> ran;
  int idleReports = 0;
  runLoop.setIdleHandler([&] { ++idleReports; });
  const auto mainThread = std::this_thread::get_id();
  runLoop.dispatchAsyncMain([&] { ran.push_back("first"); });
  runLoop.dispatchAsyncGlobal([&] {
    const bool onAnotherThread = std::this_thread::get_id() != mainThread;
    runLoop.dispatchAsyncMain([&, onAnotherThread] {
      ran.push_back(onAnotherThread ? "from the pool" : "pool ran on main");
    });
  });
  runLoop.dispatchAsyncMain([&] { ran.push_back("second"); });
  EXPECT_FALSE(runLoop.idle());
  runUntil([&] { return ran.size() == 3; });
  // The pool's block may be queued between the other two, but those keep their order.
  const auto first = std::find(ran.begin(), ran.end(), "first");
  EXPECT_LT(first, std::find(ran.begin(), ran.end(), "second"));
  EXPECT_NE(std::find(ran.begin(), ran.end(), "from the pool"), ran.end());
  runUntil([&] { return runLoop.idle(); });
  EXPECT_EQ(idleReports, 1);
}

TEST(QtRunLoopTest, TheRunnerGuardsEveryKindOfBlock) {
  auto& application = plovane::testing::qtApplication();
  QtRunLoop runLoop(application);
  std::vector<std::string> failures;
  runLoop.setRunner([&](const Block& block) {
    try {
      block();
    } catch (const std::exception& failure) {
      failures.emplace_back(failure.what());
    }
  });
  runLoop.dispatchAsyncMain([] { throw std::runtime_error("main"); });
  runLoop.dispatchAfter(0.001, [] { throw std::runtime_error("later"); });
  auto timer = runLoop.scheduledTimer(0.001, false, [] { throw std::runtime_error("timer"); });
  runUntil([&] { return failures.size() == 3; });
  EXPECT_FALSE(timer->isValid());
  std::sort(failures.begin(), failures.end());
  EXPECT_EQ(failures, (std::vector<std::string>{"later", "main", "timer"}));
}

TEST(QtRunLoopTest, ARepeatingTimerRunsUntilInvalidated) {
  auto& application = plovane::testing::qtApplication();
  QtRunLoop runLoop(application);
  int fired = 0;
  std::shared_ptr<NSTimer> timer;
  timer = runLoop.scheduledTimer(0.001, true, [&] {
    if (++fired == 3) timer->invalidate();
  });
  runUntil([&] { return !timer->isValid(); });
  EXPECT_EQ(fired, 3);
}

}  // namespace
}  // namespace platform::desktop
