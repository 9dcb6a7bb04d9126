#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/Elapsed.h"

namespace plovane::bench {

// The median and 99th percentile of the samples, as counters of the benchmark.
inline void reportPercentiles(benchmark::State& state, std::vector<double> microseconds) {
  if (microseconds.empty()) return;
  std::sort(microseconds.begin(), microseconds.end());
  const auto at = [&](double share) {
    return microseconds[static_cast<std::size_t>(share *
                                                 static_cast<double>(microseconds.size() - 1))];
  };
  state.counters["median_us"] = at(0.5);
  state.counters["p99_us"] = at(0.99);
}

}  // namespace plovane::bench
