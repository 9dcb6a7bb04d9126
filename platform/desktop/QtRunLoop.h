#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>

#include "platform/RunLoop.h"

namespace platform::desktop {

// The run loop of a Qt program: the main queue is the Qt event loop of the main thread, the
// global queue a thread pool, and time the wall clock. It counts the blocks still queued, so a
// host can tell when the work a request started has run out.
class QtRunLoop final : public RunLoop {
 public:
  // Every block runs through the runner, which may guard it (catch what a block throws).
  using Runner = std::function<void(const Block&)>;

  explicit QtRunLoop(QObject& mainThreadContext);
  ~QtRunLoop() override;

  void dispatchAsyncMain(Block block) override;
  void dispatchAsyncGlobal(Block block) override;
  void dispatchAfter(double seconds, Block block) override;
  std::shared_ptr<NSTimer> scheduledTimer(double interval, bool repeats, Block block) override;
  void sleep(double seconds) override;
  PlistDate now() const override { return systemNow(); }

  void setRunner(Runner runner) { runner_ = std::move(runner); }
  // Called on the main thread whenever the last queued block has run.
  void setIdleHandler(Block handler) { idleHandler_ = std::move(handler); }
  bool idle() const { return queued_.load() == 0; }

 private:
  void run(const Block& block);
  void finishOne();

  QObject& context_;
  QThreadPool global_;
  Runner runner_;
  Block idleHandler_;
  std::atomic<int> queued_{0};
};

}  // namespace platform::desktop
