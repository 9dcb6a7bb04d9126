#pragma once

#include <functional>
#include <memory>

#include "platform/PlistValue.h"

namespace platform {

using Block = std::function<void()>;

// A repeating or one-shot timer scheduled on the main run loop.
class NSTimer {
 public:
  virtual ~NSTimer() = default;
  virtual void invalidate() = 0;
  virtual bool isValid() const = 0;
};

// All time of the system goes through here: the main and global queues, delays, timers,
// sleeps and "now". The sim backend keeps virtual time that moves only when a test says so.
class RunLoop {
 public:
  virtual ~RunLoop() = default;
  virtual void dispatchAsyncMain(Block block) = 0;
  virtual void dispatchAsyncGlobal(Block block) = 0;
  virtual void dispatchAfter(double seconds, Block block) = 0;
  virtual std::shared_ptr<NSTimer> scheduledTimer(double interval, bool repeats, Block block) = 0;
  // Blocks the calling thread.
  virtual void sleep(double seconds) = 0;
  virtual PlistDate now() const = 0;
};

// The wall clock, for a program whose virtual time starts at the real moment.
PlistDate systemNow();

}  // namespace platform
