#include "host/screenshot/FinderWindowScreenshot.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QListView>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <iostream>

#include "desktop/ImageRendering.h"
#include "host/window/FinderWindow.h"
#include "host/window/FinderWindowContextMenu.h"

namespace plovane::host {

namespace {

constexpr int kSceneTimeoutMilliseconds = 5000;

// Windows and menus appear a few events after they were asked to.
bool waitFor(const std::function<bool()>& ready) {
  const QDeadlineTimer deadline(kSceneTimeoutMilliseconds);
  QTimer tick;
  tick.start(10);
  while (!ready()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

QAction* submenuEntry(const QMenu& menu, const std::string& title) {
  for (QAction* action : menu.actions()) {
    if (action->menu() != nullptr && action->text() == menuTitle(title)) return action;
  }
  return nullptr;
}

std::optional<std::string> openSubmenu(QMenu& menu, const std::string& title) {
  QAction* entry = submenuEntry(menu, title);
  if (entry == nullptr) return "the context menu has no submenu \"" + title + "\"";
  // Making the entry active opens its submenu at once, as hovering it does after a delay.
  menu.setActiveAction(entry);
  if (!waitFor([entry] { return entry->menu()->isVisible(); })) {
    return "the submenu \"" + title + "\" did not open";
  }
  return std::nullopt;
}

std::optional<std::string> openContextMenu(FinderMainWindow& window, const ScreenshotScene& scene,
                                           std::unique_ptr<QMenu>& menu) {
  const auto index = window.listing().indexOfName(QFile::decodeName(scene.item->c_str()));
  if (!index) return "the folder has no item named \"" + *scene.item + "\"";
  const QPoint at = window.view().visualRect(*index).center();
  menu = window.contextMenuFor(window.targetAt(at));
  menu->popup(window.view().viewport()->mapToGlobal(at));
  if (!waitFor([&menu] { return menu->isVisible(); })) return "the context menu did not open";
  if (scene.submenu) return openSubmenu(*menu, *scene.submenu);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> takeScreenshot(FinderMainWindow& window, const ScreenshotScene& scene,
                                          const std::filesystem::path& picture) {
  if (!waitFor([&window] { return window.windowHandle() && window.windowHandle()->isExposed(); })) {
    return "the window was not shown";
  }
  std::unique_ptr<QMenu> menu;
  if (scene.item) {
    if (auto why = openContextMenu(window, scene, menu)) return why;
  }
  // Let every window paint what it was last asked to.
  QCoreApplication::processEvents();
  const QPixmap screen = window.screen()->grabWindow(0);
  if (screen.isNull()) return std::string("the screen could not be grabbed");
  if (!screen.save(QFile::decodeName(picture.c_str()), "PNG")) {
    return "cannot write " + picture.string();
  }
  return std::nullopt;
}

int runScreenshot(const Request& request, int& argc, char** argv) {
  QApplication application(argc, argv);
  platform::desktop::useBundledIconTheme();
  const auto session = FinderWindowSession::open(request);
  if (!session) return 1;
  // The picture is of the whole screen, so the window fills it.
  session->window().showMaximized();
  const auto why =
      takeScreenshot(session->window(), {request.menuItem, request.submenu}, *request.screenshot);
  if (!why) return 0;
  std::cerr << "plovane-finder: no screenshot: " << *why << "\n";
  return 1;
}

}  // namespace plovane::host
