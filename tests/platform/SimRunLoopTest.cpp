#include "sim/SimRunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::sim {
namespace {

TEST(SimRunLoopTest, QueuedBlocksRunOnlyWhenDrainedAndInOrder) {
  SimRunLoop loop;
  std::vector<std::string> ran;
  loop.dispatchAsyncMain([&] {
    ran.push_back("main");
    loop.dispatchAsyncMain([&] { ran.push_back("nested"); });
  });
  loop.dispatchAsyncGlobal([&] { ran.push_back("global"); });
  EXPECT_TRUE(ran.empty());
  loop.drain();
  EXPECT_EQ(ran, (std::vector<std::string>{"main", "global", "nested"}));
  EXPECT_TRUE(loop.idle());
}

TEST(SimRunLoopTest, DelaysFireWhenTheirTimeIsReachedWithTheClockAtTheirMoment) {
  SimRunLoop loop(PlistDate{1000});
  std::vector<double> firedAt;
  loop.dispatchAfter(20.0, [&] { firedAt.push_back(loop.now().secondsSince2001); });
  loop.dispatchAfter(0.2, [&] { firedAt.push_back(loop.now().secondsSince2001); });
  loop.advanceBy(19.9);
  EXPECT_EQ(firedAt, std::vector<double>{1000.2});
  loop.advanceBy(0.1);
  EXPECT_EQ(firedAt, (std::vector<double>{1000.2, 1020.0}));
  EXPECT_DOUBLE_EQ(loop.now().secondsSince2001, 1020.0);
}

TEST(SimRunLoopTest, RepeatingTimerFiresEachIntervalUntilInvalidated) {
  SimRunLoop loop;
  int fired = 0;
  auto timer = loop.scheduledTimer(5.0, true, [&] { ++fired; });
  loop.advanceBy(14.9);
  EXPECT_EQ(fired, 2);
  timer->invalidate();
  loop.advanceBy(60);
  EXPECT_EQ(fired, 2);

  auto once = loop.scheduledTimer(1.0, false, [&] { ++fired; });
  loop.advanceBy(10);
  EXPECT_EQ(fired, 3);
  EXPECT_FALSE(once->isValid());
}

TEST(SimRunLoopTest, ReleasedTimerNoLongerFires) {
  SimRunLoop loop;
  int fired = 0;
  loop.scheduledTimer(1.0, true, [&] { ++fired; });
  loop.advanceBy(5);
  EXPECT_EQ(fired, 0);
}

TEST(SimRunLoopTest, SleepMovesTheClockWithoutRunningAnything) {
  SimRunLoop loop;
  bool ran = false;
  loop.dispatchAfter(0.5, [&] { ran = true; });
  loop.sleep(1.0);
  EXPECT_FALSE(ran);
  EXPECT_DOUBLE_EQ(loop.now().secondsSince2001, 1.0);
  loop.advanceBy(0);
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace platform::sim
