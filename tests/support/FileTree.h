#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace plovane::testing {

// Makes a folder with the given (empty) files in it and returns its path.
inline std::filesystem::path makeFolder(const std::filesystem::path& folder,
                                        std::initializer_list<const char*> files = {}) {
  std::filesystem::create_directories(folder);
  for (const char* name : files) std::ofstream(folder / name).put('x');
  return folder;
}

// Makes a bundle folder whose Info.plist holds the given dictionary entries, as XML.
inline void writeBundleInfo(const std::filesystem::path& bundle, const std::string& entries) {
  makeFolder(bundle);
  std::ofstream(bundle / "Info.plist")
      << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" << entries << "</dict></plist>";
}

// The whole text of a file; empty when there is none.
inline std::string fileContents(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace plovane::testing
