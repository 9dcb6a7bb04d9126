// Writes `count` keys "<prefix><i>" into a domain file, one key per write; each key is written
// `rounds` times in a row with the values 1 to `rounds`, so its last value is `rounds`.
//
// Usage: store_writer FILE PREFIX COUNT ROUNDS
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/PlistDomainFile.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s FILE PREFIX COUNT ROUNDS\n", argv[0]);
    return 2;
  }
  const std::string prefix = argv[2];
  const long count = std::strtol(argv[3], nullptr, 10);
  const long rounds = std::strtol(argv[4], nullptr, 10);
  platform::PlistDomainFile domain(
      argv[1], [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  for (long i = 0; i < count; ++i) {
    for (long round = 1; round <= rounds; ++round) {
      const auto error =
          domain.write({{prefix + std::to_string(i), platform::PlistValue(std::int64_t{round})}});
      if (error) {
        std::fprintf(stderr, "%s\n", error->c_str());
        return 1;
      }
    }
  }
  return 0;
}
