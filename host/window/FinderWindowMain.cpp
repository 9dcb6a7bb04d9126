#include "host/window/FinderWindowMain.h"

#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "desktop/HostDirectorySet.h"
#include "desktop/ProgramLauncher.h"
#include "host/window/FinderWindowContextMenu.h"

namespace plovane::host {

namespace fs = std::filesystem;

namespace {

QString shown(const fs::path& path) { return QFile::decodeName(path.c_str()); }

fs::path withoutTrailingSlash(const fs::path& folder) {
  const fs::path normal = fs::absolute(folder).lexically_normal();
  return normal.has_filename() || normal == normal.root_path() ? normal : normal.parent_path();
}

QString windowTitleFor(const fs::path& folder) {
  return folder.has_filename() ? shown(folder.filename()) : shown(folder);
}

platform::NSURL urlOf(const fs::path& path) {
  return platform::NSURL::fileURLWithPath(path.string());
}

bool everyItemInside(const std::set<platform::NSURL>& directories,
                     const std::vector<platform::NSURL>& selection) {
  return std::all_of(selection.begin(), selection.end(), [&](const platform::NSURL& item) {
    return platform::desktop::isInsideDirectorySet(directories, item);
  });
}

}  // namespace

FinderMainWindow::FinderMainWindow(FinderHostState& state, ExtensionCalls extension)
    : state_(state),
      extension_(std::move(extension)),
      view_(new QListView(this)),
      pathBar_(new QLineEdit(this)),
      itemCount_(new QLabel(this)),
      status_(new StatusMessage(this)),
      up_(new QAction(QIcon::fromTheme(QStringLiteral("go-up")), tr("Up"), this)),
      showsHiddenFiles_(new QAction(tr("Show Hidden Files"), this)) {
  view_->setModel(&listing_);
  view_->setViewMode(QListView::IconMode);
  view_->setResizeMode(QListView::Adjust);
  view_->setMovement(QListView::Static);
  view_->setIconSize({48, 48});
  view_->setGridSize({112, 96});
  view_->setWordWrap(true);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_, &QListView::activated, this,
          [this](const QModelIndex& index) { openItem(listing_.pathAt(index)); });
  connect(view_, &QListView::customContextMenuRequested, this, &FinderMainWindow::showContextMenu);
  setCentralWidget(view_);

  showsHiddenFiles_->setCheckable(true);
  showsHiddenFiles_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  showsHiddenFiles_->setChecked(state_.showsHiddenFiles());
  connect(showsHiddenFiles_, &QAction::toggled, this, &FinderMainWindow::setShowsHiddenFiles);
  up_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
  connect(up_, &QAction::triggered, this, &FinderMainWindow::goUp);
  buildToolBar();
  buildMenus();
  statusBar()->addWidget(status_, 1);
  statusBar()->addPermanentWidget(itemCount_);
  // Files copied, moved or hidden by other programs show up without a refresh.
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FinderMainWindow::relist);
  resize(760, 500);
}

void FinderMainWindow::buildToolBar() {
  QToolBar* bar = addToolBar(tr("Location"));
  bar->setMovable(false);
  bar->addAction(up_);
  connect(pathBar_, &QLineEdit::returnPressed, this, [this] {
    if (!openFolder(QFile::encodeName(pathBar_->text()).toStdString())) {
      pathBar_->setText(shown(folder_));
    }
  });
  bar->addWidget(pathBar_);
}

void FinderMainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&Close Window"), QKeySequence::Close, this, &QWidget::close);
  QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
  viewMenu->addAction(showsHiddenFiles_);
  QMenu* go = menuBar()->addMenu(tr("&Go"));
  go->addAction(up_);
}

bool FinderMainWindow::openFolder(const fs::path& folder) {
  const fs::path opened = withoutTrailingSlash(folder);
  std::error_code failed;
  if (!fs::is_directory(opened, failed)) {
    status_->setMessage(tr("%1 is not a folder").arg(shown(opened)));
    return false;
  }
  if (fs::directory_iterator probe(opened, failed); failed) {
    status_->setMessage(tr("The folder %1 cannot be read").arg(shown(opened)));
    return false;
  }
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  folder_ = opened;
  watcher_.addPath(shown(folder_));
  setWindowTitle(windowTitleFor(folder_));
  pathBar_->setText(shown(folder_));
  up_->setEnabled(folder_ != folder_.root_path());
  status_->setMessage({});
  view_->clearSelection();
  relist();
  observeShownFolder();
  return true;
}

void FinderMainWindow::observeShownFolder() {
  const auto shownFolder = urlOf(folder_);
  const bool served = state_.showsExtensionMenu() &&
                      platform::desktop::isInsideDirectorySet(state_.directoryURLs(), shownFolder);
  if (observed_ && (!served || *observed_ != shownFolder)) {
    extension_.endObserving(*observed_);
    observed_.reset();
  }
  if (!served || observed_) return;
  observed_ = shownFolder;
  extension_.beginObserving(shownFolder);
  for (int row = 0; row < listing_.rowCount(); ++row) {
    extension_.requestBadge(urlOf(listing_.pathAt(listing_.index(row, 0))));
  }
}

void FinderMainWindow::relist() {
  std::vector<QString> selected;
  for (const auto& path : selectedPaths()) selected.push_back(shown(path.filename()));
  listing_.list(folder_, showsHiddenFiles_->isChecked());
  for (const auto& name : selected) {
    if (auto index = listing_.indexOfName(name)) {
      view_->selectionModel()->select(*index, QItemSelectionModel::Select);
    }
  }
  const int count = listing_.rowCount();
  itemCount_->setText(count == 1 ? tr("1 item") : tr("%1 items").arg(count));
}

void FinderMainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && followHiddenFilesToggle()) {
    relist();
  }
}

bool FinderMainWindow::followHiddenFilesToggle() {
  const bool shownNow = state_.showsHiddenFiles();
  if (shownNow == showsHiddenFiles_->isChecked()) return false;
  // Taking over another program's choice must not write it back.
  const QSignalBlocker quiet(showsHiddenFiles_);
  showsHiddenFiles_->setChecked(shownNow);
  return true;
}

void FinderMainWindow::setShowsHiddenFiles(bool shownNow) {
  state_.setShowsHiddenFiles(shownNow);
  relist();
}

void FinderMainWindow::openItem(const fs::path& item) {
  std::error_code failed;
  if (fs::is_directory(item, failed)) {
    openFolder(item);
    return;
  }
  if (auto why = platform::desktop::startDetached({"xdg-open", item.string()})) {
    status_->setMessage(QString::fromStdString(*why));
  }
}

void FinderMainWindow::openSelection() {
  const auto selected = selectedPaths();
  std::error_code failed;
  const auto folder = std::find_if(selected.begin(), selected.end(), [&](const fs::path& item) {
    return fs::is_directory(item, failed);
  });
  for (const auto& item : selected) {
    if (!fs::is_directory(item, failed)) openItem(item);
  }
  // One window shows one folder: the first one chosen.
  if (folder != selected.end()) openFolder(*folder);
}

void FinderMainWindow::goUp() {
  const QString cameFrom = shown(folder_.filename());
  if (!openFolder(folder_.parent_path())) return;
  if (auto index = listing_.indexOfName(cameFrom)) view_->setCurrentIndex(*index);
}

std::vector<fs::path> FinderMainWindow::selectedPaths() const {
  auto rows = view_->selectionModel()->selectedIndexes();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<fs::path> paths;
  for (const auto& index : rows) paths.push_back(listing_.pathAt(index));
  return paths;
}

ContextTarget FinderMainWindow::targetAt(const QPoint& position) {
  const QModelIndex clicked = view_->indexAt(position);
  if (!clicked.isValid()) {
    view_->clearSelection();
    return {platform::FIMenuKind::contextualMenuForContainer, {urlOf(folder_)}};
  }
  if (!view_->selectionModel()->isSelected(clicked)) {
    view_->selectionModel()->setCurrentIndex(clicked, QItemSelectionModel::ClearAndSelect);
  }
  ContextTarget target{platform::FIMenuKind::contextualMenuForItems, {}};
  for (const auto& path : selectedPaths()) target.selection.push_back(urlOf(path));
  return target;
}

std::unique_ptr<QMenu> FinderMainWindow::contextMenuFor(const ContextTarget& target) {
  auto menu = std::make_unique<QMenu>(this);
  if (target.kind == platform::FIMenuKind::contextualMenuForItems) {
    menu->addAction(tr("Open"), this, &FinderMainWindow::openSelection);
  }
  menu->addAction(showsHiddenFiles_);
  // The file manager asks its extension only about items inside the directory set, and only
  // while the user leaves its menu on; both are read fresh, since other programs change them.
  if (state_.showsExtensionMenu() && everyItemInside(state_.directoryURLs(), target.selection)) {
    addExtensionMenu(*menu, target);
  }
  return menu;
}

void FinderMainWindow::addExtensionMenu(QMenu& menu, const ContextTarget& target) {
  auto reply = extension_.menu(target.kind, target.selection);
  if (const auto* why = std::get_if<std::string>(&reply)) {
    status_->setMessage(QString::fromStdString(*why));
    return;
  }
  const auto& transported = std::get<platform::desktop::TransportedMenu>(reply);
  if (transported.menu->items.empty()) return;
  menu.addSeparator();
  addExtensionEntries(menu, *transported.menu, transported.resources,
                      [this, selection = target.selection](const platform::NSMenuItem& entry) {
                        perform(entry, selection);
                      });
}

void FinderMainWindow::showContextMenu(const QPoint& position) {
  const auto menu = contextMenuFor(targetAt(position));
  menu->exec(view_->viewport()->mapToGlobal(position));
}

void FinderMainWindow::perform(const platform::NSMenuItem& entry,
                               const std::vector<platform::NSURL>& selection) {
  const auto sent = extension_.perform(entry, selection);
  if (const auto* why = std::get_if<std::string>(&sent)) {
    status_->setMessage(QString::fromStdString(*why));
  }
}

void FinderMainWindow::actionFinished(unsigned, const platform::desktop::ActionOutcome& outcome) {
  if (!outcome.failure.empty()) status_->setMessage(QString::fromStdString(outcome.failure));
  // The command may have flipped the hidden files toggle, or copied, moved or hidden an item.
  followHiddenFilesToggle();
  relist();
}

}  // namespace plovane::host
