#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

namespace plovane::testing {

// Makes a folder with the given (empty) files in it and returns its path.
inline std::filesystem::path makeFolder(const std::filesystem::path& folder,
                                        std::initializer_list<const char*> files = {}) {
  std::filesystem::create_directories(folder);
  for (const char* name : files) std::ofstream(folder / name).put('x');
  return folder;
}

}  // namespace plovane::testing
