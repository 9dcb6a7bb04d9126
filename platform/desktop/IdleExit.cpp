#include "desktop/IdleExit.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

namespace platform::desktop {

namespace {

// Between the bus name given up and the quit, how often to look whether the work that reached
// the program before has run.
constexpr double kDrainCheckSeconds = 0.25;

// Timers round to milliseconds: what is left below one has elapsed.
constexpr double kResolution = 0.001;

std::string seconds(double value) {
  std::ostringstream text;
  text << value << " s";
  return text.str();
}

}  // namespace

IdleExit::IdleExit(RunLoop& runLoop, SystemLog& log, double seconds, Hooks hooks)
    : runLoop_(runLoop), log_(log), seconds_(seconds), hooks_(std::move(hooks)) {
  activity();
  checkAfter(seconds_);
}

void IdleExit::activity() { lastActivity_ = runLoop_.now().secondsSince2001; }

double IdleExit::secondsFromEnvironment(SystemLog& log) {
  const char* text = std::getenv("PLOVANE_IDLE_EXIT_SECONDS");
  if (text == nullptr || *text == '\0') return kDefaultSeconds;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (*end == '\0' && std::isfinite(value) && value > 0) return value;
  log.log(std::string("PLOVANE_IDLE_EXIT_SECONDS is not a positive number of seconds: \"") + text +
          "\"; exiting after " + seconds(kDefaultSeconds) + " idle");
  return kDefaultSeconds;
}

void IdleExit::checkAfter(double delay) {
  runLoop_.dispatchAfter(delay, [this, alive = std::weak_ptr<int>(alive_)] {
    if (alive.lock()) check();
  });
}

void IdleExit::check() {
  if (released_) {
    if (hooks_.busy()) {
      checkAfter(kDrainCheckSeconds);
    } else {
      hooks_.quit();
    }
    return;
  }
  const double left = lastActivity_ + seconds_ - runLoop_.now().secondsSince2001;
  if (left >= kResolution) {
    checkAfter(left);
    return;
  }
  if (hooks_.busy()) {
    activity();
    checkAfter(seconds_);
    return;
  }
  released_ = true;
  log_.log("idle for " + seconds(seconds_) +
           ": exiting; the session bus starts the extension again at the next call");
  hooks_.release();
  // Calls that reached the program before the name went are queued ahead of this check.
  checkAfter(0);
}

}  // namespace platform::desktop
