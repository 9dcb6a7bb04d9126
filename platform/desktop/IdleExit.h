#pragma once

#include <functional>
#include <memory>

#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// Ends a program the session bus starts on demand once it has been idle for a while: nothing
// asked of it and nothing left to do. It first gives up its bus name, so that the next call
// starts a fresh instance, and quits once what reached it before that has run.
class IdleExit {
 public:
  static constexpr double kDefaultSeconds = 60;

  struct Hooks {
    std::function<bool()> busy;     // work still to run, or a modal open
    std::function<void()> release;  // gives up the bus name
    std::function<void()> quit;
  };

  // The idle time starts now.
  IdleExit(RunLoop& runLoop, SystemLog& log, double seconds, Hooks hooks);

  // Something was asked or has finished: the idle time starts again.
  void activity();

  // $PLOVANE_IDLE_EXIT_SECONDS when it is a positive number of seconds, else the default (with
  // one log line when it was set to something else).
  static double secondsFromEnvironment(SystemLog& log);

 private:
  void checkAfter(double seconds);
  void check();

  RunLoop& runLoop_;
  SystemLog& log_;
  double seconds_;
  Hooks hooks_;
  double lastActivity_ = 0;
  bool released_ = false;
  // Checks still scheduled on the run loop do nothing once this object is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>();
};

}  // namespace platform::desktop
