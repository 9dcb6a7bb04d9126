#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>

namespace plovane::host {

// `plovane-finder log`: prints the last `count` lines of the programs' log file (reaching back
// into the previous file when the current one has fewer) to `out`. When there is no log yet it
// says on `errors` where the programs write it and returns 1.
int printLastLogLines(const std::filesystem::path& file, std::size_t count, std::ostream& out,
                      std::ostream& errors);

}  // namespace plovane::host
