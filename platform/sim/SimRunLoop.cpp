#include "sim/SimRunLoop.h"

namespace platform::sim {

class SimRunLoop::Timer final : public NSTimer {
 public:
  void invalidate() override { valid_ = false; }
  bool isValid() const override { return valid_; }

 private:
  bool valid_ = true;
};

SimRunLoop::SimRunLoop(PlistDate start) : now_(start) {}

void SimRunLoop::dispatchAsyncMain(Block block) { queued_.push_back(std::move(block)); }

void SimRunLoop::dispatchAsyncGlobal(Block block) { queued_.push_back(std::move(block)); }

void SimRunLoop::dispatchAfter(double seconds, Block block) {
  schedule(now_.secondsSince2001 + seconds, std::move(block));
}

std::shared_ptr<NSTimer> SimRunLoop::scheduledTimer(double interval, bool repeats, Block block) {
  auto timer = std::make_shared<Timer>();
  std::weak_ptr<Timer> weak = timer;
  auto fire = std::make_shared<std::function<void(double)>>();
  *fire = [this, weak, interval, repeats, block = std::move(block), fire](double due) {
    auto alive = weak.lock();
    if (!alive || !alive->isValid()) return;
    if (!repeats) alive->invalidate();
    block();
    if (repeats && alive->isValid()) {
      schedule(due + interval, [fire, next = due + interval] { (*fire)(next); });
    }
  };
  const double due = now_.secondsSince2001 + interval;
  schedule(due, [fire, due] { (*fire)(due); });
  return timer;
}

void SimRunLoop::sleep(double seconds) { now_.secondsSince2001 += seconds; }

void SimRunLoop::drain() {
  while (!queued_.empty()) {
    Block block = std::move(queued_.front());
    queued_.pop_front();
    block();
  }
}

void SimRunLoop::advanceBy(double seconds) {
  const double target = now_.secondsSince2001 + seconds;
  drain();
  while (!delayed_.empty() && delayed_.begin()->first.first <= target) {
    auto next = delayed_.extract(delayed_.begin());
    if (next.key().first > now_.secondsSince2001) now_.secondsSince2001 = next.key().first;
    next.mapped()();
    drain();
  }
  if (target > now_.secondsSince2001) now_.secondsSince2001 = target;
}

void SimRunLoop::schedule(double at, Block block) {
  delayed_.emplace(std::make_pair(at, sequence_++), std::move(block));
}

}  // namespace platform::sim
