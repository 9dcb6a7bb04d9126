#include "host/window/FinderWindowContextMenu.h"

#include "desktop/ImageRendering.h"

namespace plovane::host {

namespace {

// Only an entry that does nothing is a line: a command whose stored title is empty still runs.
bool isSeparator(const platform::NSMenuItem& entry) {
  return entry.action.empty() && !entry.submenu && (entry.title.empty() || entry.title == "-");
}

QIcon iconOf(const platform::NSMenuItem& entry, const std::filesystem::path& resources) {
  return entry.image ? platform::desktop::iconForImage(*entry.image, resources) : QIcon();
}

}  // namespace

QString menuTitle(const std::string& title) {
  return QString::fromStdString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void addExtensionEntries(QMenu& menu, const platform::NSMenu& entries,
                         const std::filesystem::path& resources, const EntryChosen& chosen) {
  for (const auto& entry : entries.items) {
    if (isSeparator(entry)) {
      menu.addSeparator();
      continue;
    }
    if (entry.submenu) {
      QMenu* submenu = menu.addMenu(iconOf(entry, resources), menuTitle(entry.title));
      submenu->menuAction()->setEnabled(entry.enabled);
      addExtensionEntries(*submenu, *entry.submenu, resources, chosen);
      continue;
    }
    QAction* action = menu.addAction(iconOf(entry, resources), menuTitle(entry.title));
    action->setEnabled(entry.enabled);
    QObject::connect(action, &QAction::triggered, &menu, [chosen, entry] { chosen(entry); });
  }
}

}  // namespace plovane::host
