#pragma once

#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/EnvironmentOverride.h"
#include "support/FileTree.h"

namespace plovane::testing {

// What the argument recorder wrote when a detached program started as it: a folder to put it
// on PATH under the names of the programs it stands for, or into a bundle.
class RecordedLaunch {
 public:
  explicit RecordedLaunch(const std::filesystem::path& folder)
      : record_(folder / "recorded-arguments"),
        bin_(makeFolder(folder / "bin")),
        recordOverride_("PLOVANE_RECORDED_ARGUMENTS", record_.string()) {}

  // Makes `name` in `folder` start the recorder.
  static void install(const std::filesystem::path& folder, const std::string& name) {
    std::filesystem::create_symlink(PLOVANE_ARGUMENT_RECORDER, folder / name);
  }
  // A folder to use as PATH in which `name` is the recorder.
  const std::filesystem::path& binWith(const std::string& name) {
    install(bin_, name);
    return bin_;
  }

  // The program name and arguments, once the program has started; empty if it never did.
  std::vector<std::string> arguments() const {
    if (!QTest::qWaitFor([&] { return std::filesystem::exists(record_); }, 5000)) return {};
    std::ifstream in(record_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::filesystem::path record_;
  std::filesystem::path bin_;
  EnvironmentOverride recordOverride_;
};

}  // namespace plovane::testing
