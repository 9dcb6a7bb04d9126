#pragma once

#include <QWidget>
#include <vector>

#include "desktop/filemanagers/FileManagers.h"
#include "desktop/filemanagers/MenuSwitches.h"
#include "desktop/filemanagers/RunningFileManagers.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace plovane::integration {

using platform::desktop::FileManager;
using platform::desktop::FileManagerState;
using platform::desktop::kStandInProgram;
using platform::desktop::MenuSwitches;

// This desktop's Extensions pane: the file managers found, whether the menu's module is
// installed in each and loaded by its running processes, and one check box each that switches
// the menu on or off for this user. A switch the store cannot keep goes back, and an alert says
// why. A file manager that runs without the installed module and loads modules only as it starts
// gets a button that restarts it; one with a switch of its own gets a line saying where that is.
class IntegrationWindow final : public QWidget {
  Q_OBJECT

 public:
  IntegrationWindow(const std::vector<FileManagerState>& managers, MenuSwitches& switches);

 private:
  void addRow(QGridLayout& rows, const FileManagerState& state);
  void addRunningRow(QGridLayout& rows, const FileManagerState& state);
  void restart(const FileManager& manager, QLabel& line, QPushButton& button);
  void switchMenu(QCheckBox& box, const FileManager& manager, bool on);

  MenuSwitches& switches_;
};

}  // namespace plovane::integration
