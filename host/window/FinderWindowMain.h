#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QMenu>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "desktop/findersync/FinderSyncClient.h"
#include "desktop/findersync/MenuTransport.h"
#include "host/window/FinderWindowHostState.h"
#include "host/window/FinderWindowListing.h"
#include "host/window/FinderWindowStatus.h"
#include "platform/FIFinderSync.h"

class QLabel;
class QLineEdit;
class QListView;

namespace plovane::host {

// The extension as the window asks it: over the bus in the program, a fake in tests.
struct ExtensionCalls {
  std::function<std::variant<platform::desktop::TransportedMenu, std::string>(
      platform::FIMenuKind, const std::vector<platform::NSURL>&)>
      menu;
  std::function<std::variant<unsigned, std::string>(const platform::NSMenuItem&,
                                                    const std::vector<platform::NSURL>&)>
      perform;
  std::function<void(const platform::NSURL&)> beginObserving;
  std::function<void(const platform::NSURL&)> endObserving;
  std::function<void(const platform::NSURL&)> requestBadge;
};

// What a right-click is about: the selected items, or the shown folder itself.
struct ContextTarget {
  platform::FIMenuKind kind = platform::FIMenuKind::contextualMenuForContainer;
  std::vector<platform::NSURL> selection;
};

// A small file manager's window onto one folder at a time. Its context menu holds the window's
// own entries and, inside the directory set, the extension's.
class FinderMainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  FinderMainWindow(FinderHostState& state, ExtensionCalls extension);

  // False, with the reason on the status bar, when the folder cannot be listed.
  bool openFolder(const std::filesystem::path& folder);
  const std::filesystem::path& folder() const { return folder_; }
  FolderListing& listing() { return listing_; }
  QListView& view() { return *view_; }
  // The latest message on the status bar: why something failed, or nothing.
  StatusMessage& statusMessage() { return *status_; }

  // Selects the item at `position` (of the view's viewport) when it is not selected yet, as a
  // right-click does, and says what its menu is about.
  ContextTarget targetAt(const QPoint& position);
  std::unique_ptr<QMenu> contextMenuFor(const ContextTarget& target);

  void actionFinished(unsigned action, const platform::desktop::ActionOutcome& outcome);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void buildToolBar();
  void buildMenus();
  void relist();
  // Tells the extension about the folder now shown, as the file manager does for the folders
  // of the directory set: observation moves with the window, and each item asks for its badge.
  void observeShownFolder();
  // Takes over the toggle as the store has it now; true when that changed it.
  bool followHiddenFilesToggle();
  void setShowsHiddenFiles(bool shown);
  void openItem(const std::filesystem::path& item);
  void openSelection();
  void goUp();
  void showContextMenu(const QPoint& position);
  void addExtensionMenu(QMenu& menu, const ContextTarget& target);
  void perform(const platform::NSMenuItem& entry, const std::vector<platform::NSURL>& selection);
  std::vector<std::filesystem::path> selectedPaths() const;

  FinderHostState& state_;
  ExtensionCalls extension_;
  std::filesystem::path folder_;
  std::optional<platform::NSURL> observed_;
  FolderListing listing_;
  QFileSystemWatcher watcher_;
  QListView* view_;
  QLineEdit* pathBar_;
  QLabel* itemCount_;
  StatusMessage* status_;
  QAction* up_;
  QAction* showsHiddenFiles_;
};

}  // namespace plovane::host
