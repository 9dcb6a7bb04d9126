#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <utility>

#include "platform/RunLoop.h"

namespace platform::sim {

// Virtual time: nothing runs until the test drains the queues or advances the clock, and a
// sleep moves the clock without running anything (the thread is blocked meanwhile).
class SimRunLoop final : public RunLoop {
 public:
  explicit SimRunLoop(PlistDate start = {});

  void dispatchAsyncMain(Block block) override;
  void dispatchAsyncGlobal(Block block) override;
  void dispatchAfter(double seconds, Block block) override;
  std::shared_ptr<NSTimer> scheduledTimer(double interval, bool repeats, Block block) override;
  void sleep(double seconds) override;
  PlistDate now() const override { return now_; }

  // Runs queued blocks (main and global, in the order queued) until none is left.
  void drain();
  // Moves the clock forward, running every delay and timer that falls due on the way.
  void advanceBy(double seconds);
  bool idle() const { return queued_.empty(); }
  std::size_t pendingDelays() const { return delayed_.size(); }

 private:
  class Timer;
  void schedule(double at, Block block);

  PlistDate now_;
  std::deque<Block> queued_;
  std::multimap<std::pair<double, std::uint64_t>, Block> delayed_;
  std::uint64_t sequence_ = 0;
};

}  // namespace platform::sim
