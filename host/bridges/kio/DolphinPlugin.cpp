// Dolphin's module: the extension's entries in the selection's and the folder's context menus,
// as a KIO file-item-action plugin. Dolphin makes a new plugin object for each context menu and
// deletes it with the menu, so the actions and submenus made here go with it.

#include <KAbstractFileItemActionPlugin>
#include <KFileItem>
#include <KFileItemListProperties>
#include <KPluginFactory>
#include <QAction>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "core/Bridge.h"
#include "kio/ShownFolder.h"

namespace {

using plovane::bridge::Bridge;
using plovane::bridge::Entry;
using plovane::bridge::MenuKind;

// Dolphin has no signal to ask for the items again: it asks at every context menu. So no
// items-changed callback is set, as for Thunar.
Bridge& bridge() { return Bridge::shared("dolphin"); }

// The selection's paths as bytes, or none when an item is not a local file: the extension only
// knows local files.
std::optional<std::vector<std::string>> localPaths(const KFileItemList& items) {
  if (items.isEmpty()) return std::nullopt;
  std::vector<std::string> paths;
  for (const KFileItem& item : items) {
    const QString path = item.localPath();
    if (path.isEmpty()) return std::nullopt;
    paths.push_back(QFile::encodeName(path).toStdString());
  }
  return paths;
}

bool sameFolder(const QUrl& one, const QUrl& other) {
  return one.adjusted(QUrl::StripTrailingSlash) == other.adjusted(QUrl::StripTrailingSlash);
}

QIcon iconOf(const Entry& entry) {
  if (entry.icon.empty()) return {};
  const QString icon = QString::fromStdString(entry.icon);
  return entry.icon.front() == '/' ? QIcon(icon) : QIcon::fromTheme(icon);
}

class DolphinPlugin final : public KAbstractFileItemActionPlugin {
  Q_OBJECT

 public:
  DolphinPlugin(QObject* parent, const QVariantList&) : KAbstractFileItemActionPlugin(parent) {
    // Loaded means Dolphin shows a context menu: the bridge starts the extension now if it is not
    // running, within this menu's wait.
    bridge();
  }

  QList<QAction*> actions(const KFileItemListProperties& selection, QWidget* window) override {
    const KFileItemList items = selection.items();
    const auto paths = localPaths(items);
    if (!paths) return {};
    const bool background =
        items.size() == 1 && items.front().isDir() &&
        sameFolder(items.front().url(), plovane::bridge::kio::shownFolder(window));
    QList<QAction*> actions;
    for (const Entry& entry :
         bridge().menu(background ? MenuKind::container : MenuKind::items, *paths)) {
      actions.append(actionFor(entry, *paths, window));
    }
    return actions;
  }

 private:
  QAction* actionFor(const Entry& entry, const std::vector<std::string>& paths, QWidget* window) {
    // Qt takes a single "&" for the mnemonic's mark.
    const QString title = QString::fromStdString(entry.title).replace('&', QStringLiteral("&&"));
    QAction* action = nullptr;
    if (entry.submenu.empty()) {
      action = new QAction(iconOf(entry), title, this);
      if (!entry.action.empty()) {
        connect(action, &QAction::triggered, this,
                [entry, paths] { bridge().perform(entry, paths); });
      }
    } else {
      // A menu cannot be a child of the plugin, which is no widget: it goes with the plugin.
      auto* submenu = new QMenu(title, window);
      connect(this, &QObject::destroyed, submenu, &QObject::deleteLater);
      submenu->setIcon(iconOf(entry));
      for (const Entry& child : entry.submenu) submenu->addAction(actionFor(child, paths, window));
      action = submenu->menuAction();
    }
    action->setEnabled(entry.enabled);
    return action;
  }
};

}  // namespace

K_PLUGIN_CLASS_WITH_JSON(DolphinPlugin, "plovane-menu-dolphin.json")

// For the badge plugin, which Dolphin loads with each view: a path to ask about, or null just to
// start the bridge. The one bridge of Dolphin's process lives in this library.
extern "C" Q_DECL_EXPORT void plovane_dolphin_request_badge(const char* path) {
  if (path != nullptr) {
    bridge().requestBadge(path);
  } else {
    bridge();
  }
}

#include "DolphinPlugin.moc"
