#pragma once

#include <string>
#include <vector>

namespace platform::sim {

// What the sim services were asked to do, one line each, in order: what a test or the
// command-line stand-in reads back.
struct Transcript {
  std::vector<std::string> lines;
  void add(std::string line) { lines.push_back(std::move(line)); }
};

}  // namespace platform::sim
