#include "host/integration/IntegrationWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/integration/FileManagerRestart.h"

namespace plovane::integration {

namespace {

QLabel* wrappingText(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

QString stateText(const FileManagerState& state) {
  if (!state.manager.module) return state.installed ? "Installed" : "Not installed";
  return state.installed ? "Module installed" : "Module not installed";
}

}  // namespace

IntegrationWindow::IntegrationWindow(const std::vector<FileManagerState>& managers,
                                     MenuSwitches& switches)
    : switches_(switches) {
  setWindowTitle(tr("Plovane Menu Extension"));
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(tr("Plovane Menu in your file managers"), this);
  QFont larger = heading->font();
  larger.setBold(true);
  larger.setPointSizeF(larger.pointSizeF() * 1.2);
  heading->setFont(larger);
  layout->addWidget(heading);
  layout->addWidget(wrappingText(
      tr("Plovane Menu adds its commands to the right-click menu of these file managers. Choose "
         "where it shows them; it does so inside the folders chosen in Plovane Menu."),
      this));
  auto* rows = new QGridLayout;
  rows->setHorizontalSpacing(24);
  for (const auto& state : managers) addRow(*rows, state);
  layout->addSpacing(8);
  layout->addLayout(rows);
  layout->addSpacing(8);
  layout->addWidget(
      wrappingText(tr("A file manager that was open when its module was installed shows the menu "
                      "once it is started again, or at its next right-click if it looks for "
                      "modules at every one."),
                   this));
  layout->addStretch();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
  layout->addWidget(buttons);
  resize(520, sizeHint().height());
}

void IntegrationWindow::addRow(QGridLayout& rows, const FileManagerState& state) {
  const int row = rows.rowCount();
  const QString name = QString::fromStdString(state.manager.name);
  auto* title = new QLabel(name, this);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  auto* installed = new QLabel(stateText(state), this);
  // The row tells a sighted user which file manager the state is of; a screen reader hears it.
  installed->setAccessibleName(name + ": " + installed->text().toLower());
  if (state.manager.module) {
    installed->setToolTip(QFile::decodeName(state.manager.module->c_str()));
  }
  auto* box = new QCheckBox(tr("Show the menu"), this);
  box->setAccessibleName(tr("Show the menu in %1").arg(name));
  box->setChecked(state.menuOn);
  // Toggled, not clicked: assistive technologies toggle a check box without clicking it.
  connect(box, &QCheckBox::toggled, this,
          [this, box, manager = state.manager](bool on) { switchMenu(*box, manager, on); });
  rows.addWidget(title, row, 0);
  rows.addWidget(installed, row, 1);
  rows.addWidget(box, row, 2);
  if (state.installed) addRunningRow(rows, state);
  if (state.manager.ownSwitch) {
    rows.addWidget(wrappingText(tr("%1 shows the menu without further settings; its %2 page can "
                                   "switch it off, and ticking Show the menu here switches it on "
                                   "again.")
                                    .arg(name, QString::fromStdString(*state.manager.ownSwitch)),
                                this),
                   rows.rowCount(), 1, 1, 2);
  }
}

// Below a file manager whose module is installed, when it runs: whether it loaded the module.
void IntegrationWindow::addRunningRow(QGridLayout& rows, const FileManagerState& state) {
  const auto processes = platform::desktop::runningProcessesOf(state.manager);
  if (processes.empty()) return;
  const QString name = QString::fromStdString(state.manager.name);
  const int row = rows.rowCount();
  if (!platform::desktop::mustRestart(state)) {
    rows.addWidget(wrappingText(tr("%1 is running with the menu.").arg(name), this), row, 1);
    return;
  }
  auto* line = wrappingText(tr("%1 must be restarted to show the menu.").arg(name), this);
  auto* button = new QPushButton(tr("Restart %1").arg(name), this);
  button->setAccessibleName(tr("Restart %1").arg(name));
  connect(button, &QPushButton::clicked, this,
          [this, manager = state.manager, line, button] { restart(manager, *line, *button); });
  rows.addWidget(line, row, 1);
  rows.addWidget(button, row, 2);
}

void IntegrationWindow::restart(const FileManager& manager, QLabel& line, QPushButton& button) {
  button.setEnabled(false);
  const QString name = QString::fromStdString(manager.name);
  line.setText(tr("Restarting %1\u2026").arg(name));
  auto* restart =
      new FileManagerRestart(manager, platform::desktop::runningProcessesOf(manager), this);
  connect(restart, &FileManagerRestart::finished, this,
          [&line, &button, name](const QString& failure) {
            if (failure.isEmpty()) {
              line.setText(tr("%1 was started again and shows the menu.").arg(name));
              return;
            }
            line.setText(failure);
            button.setEnabled(true);
          });
  restart->start();
}

void IntegrationWindow::switchMenu(QCheckBox& box, const FileManager& manager, bool on) {
  const auto refused = switches_.setOn(manager.program, on);
  if (!refused) return;
  const QSignalBlocker takenBack(box);
  box.setChecked(!on);
  const QString name = QString::fromStdString(manager.name);
  auto* alert = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                on ? tr("The menu could not be switched on in %1.").arg(name)
                                   : tr("The menu could not be switched off in %1.").arg(name),
                                QMessageBox::Ok, this);
  alert->setInformativeText(QString::fromStdString(*refused));
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->setWindowModality(Qt::WindowModal);
  alert->open();
}

}  // namespace plovane::integration
