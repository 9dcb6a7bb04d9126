#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plovane::bridge {

// Which menu the file manager asks for: the selected items', or the shown folder's background.
enum class MenuKind { items = 0, container = 1 };

// One entry of the extension's menu as a file manager can show it.
struct Entry {
  std::string title;
  std::string action;  // the selector it sends; empty for an entry that only opens its submenu
  std::int64_t tag = 0;
  bool enabled = true;
  std::string icon;  // an icon-theme name or an absolute file; empty when there is none
  std::vector<Entry> submenu;
};

// A file manager's side of the extension, shared by every module in its process. It talks to
// the extension over the session bus and never holds the file manager's interface up for long:
// a menu waits at most kMenuWait, an extension that is not running is started in the background
// (the file manager is then asked to refresh its items), and a stalled one is left alone for a
// while. Only items inside the monitored folders are asked about. Everything runs on the file
// manager's main thread.
class Bridge {
 public:
  static constexpr int kMenuWaitMilliseconds = 150;
  static constexpr int kQuietAfterTimeoutMilliseconds = 3000;

  // The bridge of this process. `manager` is the file manager's name as the user switches the
  // integration off for it ("nautilus", "nemo", "caja", "thunar").
  static Bridge& shared(const char* manager);

  virtual ~Bridge() = default;

  // Called on the main thread when the file manager should ask for its menu items again: the
  // extension has come up after a menu found it not running.
  virtual void setItemsChanged(std::function<void()> itemsChanged) = 0;

  // The menu for local paths (bytes, as the file system has them). Empty when there is nothing
  // to show: a path outside the monitored folders, the integration switched off, the extension
  // not running, slow or failing.
  virtual std::vector<Entry> menu(MenuKind kind, const std::vector<std::string>& paths) = 0;

  // Sends the chosen entry with the selection of that moment, without waiting for an answer.
  virtual void perform(const Entry& entry, const std::vector<std::string>& paths) = 0;

  // Badge requests for shown items, collected and sent in batches without waiting.
  virtual void requestBadge(const std::string& path) = 0;
};

}  // namespace plovane::bridge
