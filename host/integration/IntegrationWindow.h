#pragma once

#include <QWidget>
#include <vector>

#include "host/integration/FileManagers.h"
#include "host/integration/MenuSwitches.h"

class QCheckBox;
class QGridLayout;

namespace plovane::integration {

// This desktop's Extensions pane: the file managers found, whether the menu's module is
// installed in each, and one check box each that switches the menu on or off for this user.
// A switch the store cannot keep goes back, and an alert says why.
class IntegrationWindow final : public QWidget {
  Q_OBJECT

 public:
  IntegrationWindow(const std::vector<FileManagerState>& managers, MenuSwitches& switches);

 private:
  void addRow(QGridLayout& rows, int row, const FileManagerState& state);
  void switchMenu(QCheckBox& box, const FileManager& manager, bool on);

  MenuSwitches& switches_;
};

}  // namespace plovane::integration
