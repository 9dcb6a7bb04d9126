#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

#include "desktop/ProgramLauncher.h"
#include "desktop/filemanagers/RunningFileManagers.h"

namespace plovane::integration {

// Restarts a file manager so that it loads the menu's module: its own quit command ("thunar -q"),
// then, once its processes are gone, the program again on the folders they had been opened on
// (none known: a plain start), detached. Deletes itself when done.
class FileManagerRestart final : public QObject {
  Q_OBJECT

 public:
  FileManagerRestart(platform::desktop::FileManager manager,
                     std::vector<platform::desktop::FileManagerProcess> processes, QObject* parent);

  void start();

 signals:
  // Empty when it was started again, else why not.
  void finished(const QString& failure);

 private:
  void waitForQuit();
  void end(const QString& failure);

  platform::desktop::FileManager manager_;
  std::vector<platform::desktop::FileManagerProcess> processes_;
  std::optional<platform::desktop::ChildProgram> quit_;
  QTimer poll_;
  int pollsLeft_ = 0;
};

}  // namespace plovane::integration
