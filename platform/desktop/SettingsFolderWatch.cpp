#include "desktop/SettingsFolderWatch.h"

namespace platform::desktop {

SettingsFolderWatch::SettingsFolderWatch(const std::filesystem::path& folder,
                                         std::function<void()> changed) {
  settle_.setSingleShot(true);
  settle_.setInterval(0);
  QObject::connect(&settle_, &QTimer::timeout, std::move(changed));
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
                   [this] { settle_.start(); });
  // Without a folder there is no store to follow.
  if (std::filesystem::is_directory(folder))
    watcher_.addPath(QString::fromStdString(folder.string()));
}

}  // namespace platform::desktop
