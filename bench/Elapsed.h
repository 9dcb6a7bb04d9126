#pragma once

#include <chrono>

namespace plovane::bench {

// Kept apart from Percentiles.h so that the timers that do not link Google Benchmark share it.
inline double elapsedMicroseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - since)
      .count();
}

}  // namespace plovane::bench
