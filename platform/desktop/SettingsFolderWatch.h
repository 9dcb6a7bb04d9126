#pragma once

#include <QFileSystemWatcher>
#include <QTimer>
#include <filesystem>
#include <functional>

namespace platform::desktop {

// Calls `changed` once after the files of the settings folder changed. The store replaces a
// file by renaming a new one over it, which a watch on the file itself would lose, so the
// folder is watched; the events of one replace come together and give one call.
class SettingsFolderWatch {
 public:
  SettingsFolderWatch(const std::filesystem::path& folder, std::function<void()> changed);

 private:
  QFileSystemWatcher watcher_;
  QTimer settle_;
};

}  // namespace platform::desktop
