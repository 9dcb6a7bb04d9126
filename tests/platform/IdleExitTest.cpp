// The idle exit on virtual time: the clock moves only when a test advances it.
#include "desktop/IdleExit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/RecordingSystemLog.h"
#include "sim/SimRunLoop.h"
#include "support/EnvironmentOverride.h"

namespace platform::desktop {
namespace {

using plovane::testing::EnvironmentOverride;

class IdleExitTest : public ::testing::Test {
 protected:
  IdleExit::Hooks hooks() {
    return {.busy = [this] { return busy; },
            .release = [this] { steps.push_back("release"); },
            .quit = [this] { steps.push_back("quit"); }};
  }

  sim::SimRunLoop runLoop;
  sim::RecordingSystemLog log;
  bool busy = false;
  std::vector<std::string> steps;
};

TEST_F(IdleExitTest, GivesUpTheNameThenQuitsOnceIdleForTheWholeTime) {
  IdleExit idleExit(runLoop, log, 60, hooks());
  runLoop.advanceBy(59.5);
  EXPECT_TRUE(steps.empty());
  runLoop.advanceBy(1);
  EXPECT_EQ(steps, (std::vector<std::string>{"release", "quit"}));
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find("idle for 60 s"), std::string::npos) << log.logLines[0];
}

TEST_F(IdleExitTest, ActivityStartsTheIdleTimeAgain) {
  IdleExit idleExit(runLoop, log, 60, hooks());
  runLoop.advanceBy(40);
  idleExit.activity();
  runLoop.advanceBy(40);
  idleExit.activity();
  runLoop.advanceBy(59.5);
  EXPECT_TRUE(steps.empty());
  runLoop.advanceBy(1);
  EXPECT_EQ(steps, (std::vector<std::string>{"release", "quit"}));
}

TEST_F(IdleExitTest, StaysWhileBusyAndExitsOnceIdleAgain) {
  IdleExit idleExit(runLoop, log, 60, hooks());
  busy = true;
  runLoop.advanceBy(200);
  EXPECT_TRUE(steps.empty());
  busy = false;
  runLoop.advanceBy(60.5);
  EXPECT_EQ(steps, (std::vector<std::string>{"release", "quit"}));
  EXPECT_EQ(log.logLines.size(), 1u);
}

// A call that reached the program just before its name went is answered, and its work runs,
// before the program quits.
TEST_F(IdleExitTest, QuitsOnlyOnceTheWorkThatArrivedBeforeTheReleaseHasRun) {
  IdleExit idleExit(runLoop, log, 1,
                    {.busy = [this] { return busy; },
                     .release =
                         [this] {
                           steps.push_back("release");
                           busy = true;
                         },
                     .quit = [this] { steps.push_back("quit"); }});
  runLoop.advanceBy(5);
  EXPECT_EQ(steps, std::vector<std::string>{"release"});
  busy = false;
  runLoop.advanceBy(1);
  EXPECT_EQ(steps, (std::vector<std::string>{"release", "quit"}));
}

TEST_F(IdleExitTest, DoesNothingOnceDestroyed) {
  { IdleExit idleExit(runLoop, log, 1, hooks()); }
  runLoop.advanceBy(5);
  EXPECT_TRUE(steps.empty());
}

TEST(IdleExitSecondsTest, TakesAPositiveNumberFromTheEnvironmentElseSixty) {
  sim::RecordingSystemLog log;
  {
    EnvironmentOverride unset("PLOVANE_IDLE_EXIT_SECONDS", "");
    EXPECT_EQ(IdleExit::secondsFromEnvironment(log), 60);
  }
  for (const auto& [text, seconds] :
       std::vector<std::pair<std::string, double>>{{"1", 1}, {"0.5", 0.5}, {"300", 300}}) {
    EnvironmentOverride set("PLOVANE_IDLE_EXIT_SECONDS", text);
    EXPECT_EQ(IdleExit::secondsFromEnvironment(log), seconds) << text;
  }
  EXPECT_TRUE(log.logLines.empty());
  for (const char* text : {"0", "-3", "ten", "5s", "inf"}) {
    EnvironmentOverride set("PLOVANE_IDLE_EXIT_SECONDS", text);
    EXPECT_EQ(IdleExit::secondsFromEnvironment(log), 60) << text;
  }
  ASSERT_EQ(log.logLines.size(), 5u);
  EXPECT_NE(log.logLines[0].find("PLOVANE_IDLE_EXIT_SECONDS"), std::string::npos);
}

}  // namespace
}  // namespace platform::desktop
