#include "desktop/QtRunLoop.h"

#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <thread>

namespace platform::desktop {

namespace {

int milliseconds(double seconds) { return static_cast<int>(seconds * 1000.0 + 0.5); }

// Timers are scheduled from the main thread, where they then fire.
class QtTimer final : public NSTimer {
 public:
  QtTimer(double interval, bool repeats, Block block) {
    timer_.setSingleShot(!repeats);
    timer_.setInterval(milliseconds(interval));
    QObject::connect(&timer_, &QTimer::timeout, [this, repeats, block = std::move(block)] {
      if (!repeats) valid_ = false;
      block();
    });
    timer_.start();
  }
  void invalidate() override {
    valid_ = false;
    timer_.stop();
  }
  bool isValid() const override { return valid_; }

 private:
  QTimer timer_;
  bool valid_ = true;
};

}  // namespace

QtRunLoop::QtRunLoop(QObject& mainThreadContext) : context_(mainThreadContext) {}

QtRunLoop::~QtRunLoop() { global_.waitForDone(); }

void QtRunLoop::dispatchAsyncMain(Block block) {
  ++queued_;
  QMetaObject::invokeMethod(
      &context_,
      [this, block = std::move(block)] {
        run(block);
        finishOne();
      },
      Qt::QueuedConnection);
}

void QtRunLoop::dispatchAsyncGlobal(Block block) {
  ++queued_;
  global_.start([this, block = std::move(block)] {
    run(block);
    // The count drops on the main thread, where the idle handler runs.
    QMetaObject::invokeMethod(
        &context_, [this] { finishOne(); }, Qt::QueuedConnection);
  });
}

void QtRunLoop::dispatchAfter(double seconds, Block block) {
  QTimer::singleShot(milliseconds(seconds), &context_,
                     [this, block = std::move(block)] { run(block); });
}

std::shared_ptr<NSTimer> QtRunLoop::scheduledTimer(double interval, bool repeats, Block block) {
  return std::make_shared<QtTimer>(interval, repeats,
                                   [this, block = std::move(block)] { run(block); });
}

void QtRunLoop::sleep(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void QtRunLoop::run(const Block& block) {
  if (runner_) {
    runner_(block);
  } else {
    block();
  }
}

void QtRunLoop::finishOne() {
  if (--queued_ == 0 && idleHandler_) idleHandler_();
}

}  // namespace platform::desktop
