// Times store writes for bench/compare.py: one write each time a line arrives on standard input,
// its time printed in microseconds (negative when it failed). The script starts the store's side
// and its baseline as two such processes and asks them in turns, so that both meet the disk as
// it is at that moment.
//
//   write commands|folders     the store's write of one key (StoreWrites)
//   replace commands|folders   a durable replace of the same bytes (ByteReplaces)
#include <iostream>
#include <memory>
#include <string>

#include "bench/StoreWrites.h"

int main(int argc, char** argv) {
  using namespace plovane::bench;
  const std::string side = argc == 3 ? argv[1] : "";
  const std::string key = argc == 3 ? argv[2] : "";
  if ((side != "write" && side != "replace") || (key != "commands" && key != "folders")) {
    std::cerr << "usage: plovane_store_compare write|replace commands|folders\n";
    return 2;
  }
  std::unique_ptr<TimedWrites> writes;
  if (side == "write") {
    writes = std::make_unique<StoreWrites>(storeSubject(key));
  } else {
    writes = std::make_unique<ByteReplaces>(storeSubject(key));
  }
  for (std::string line; std::getline(std::cin, line);) std::cout << writes->next() << std::endl;
  return 0;
}
