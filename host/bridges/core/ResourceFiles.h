#pragma once

#include <string>
#include <string_view>

namespace plovane::bridge {

// Which icon files exist, for one menu reply whose resources folder is `folder` (absolute and
// normalised, or empty). A file directly inside the folder is looked for once per process while
// the folder stays as it was: a file appears or goes only when an entry of the folder changes,
// which changes the folder's modification and change times, and a bundle installed anew is
// another folder. So a right-click costs at most one `stat` of the folder, not a look-up per icon.
// (Bundles are installed as copies: a link inside one whose target came or went would go
// unnoticed.) Used on the file manager's main thread only, as the whole core is.
class ResourceFiles {
 public:
  explicit ResourceFiles(std::string folder);

  const std::string& folder() const { return folder_; }
  // The file `name` + `extension` directly inside the folder.
  std::string inFolder(std::string_view name, std::string_view extension) const;

  // Whether `file` (absolute and normalised) exists.
  bool exists(const std::string& file);

 private:
  enum class State { unchecked, known, changing, missing };

  State check();

  std::string folder_;
  std::string prefix_;  // the folder with its trailing slash
  State state_ = State::unchecked;
};

}  // namespace plovane::bridge
