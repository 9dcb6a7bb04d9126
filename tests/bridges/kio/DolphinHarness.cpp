// Loads Dolphin's module the way Dolphin does: KIO's KFileItemActions finds it in
// kf5/kfileitemaction under the Qt plugin path and adds its actions to a context menu, for a
// window whose active location bar shows the folder, as Dolphin's window has one. The background
// menu is asked with the shown folder as the only item, as Dolphin asks it. The command line is
// the one every harness shares (../MenuHarness.h). The overlay-icon plugins in the folder beside
// it are made as a view opens and asked about the items it shows. Dolphin has no signal to ask
// for the menu again: it asks at the next context menu.

#include <unistd.h>
#include <KFileItem>
#include <KFileItemActions>
#include <KFileItemListProperties>
#include <KOverlayIconPlugin>
#include <KPluginMetaData>
#include <KUrlNavigator>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QPluginLoader>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "HarnessCommandLine.h"

namespace {

namespace harness = plovane::bridge::harness;
namespace fs = std::filesystem;
using harness::Request;

constexpr char kPluginId[] = "plovane-menu-dolphin";
constexpr int kSettleMilliseconds = 300;
constexpr int kPollMilliseconds = 100;

void runFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// Whatever the module sent is on its way before the harness exits.
void flushSessionBus() {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return;
  g_dbus_connection_flush_sync(bus, nullptr, nullptr);
  g_object_unref(bus);
}

KFileItem itemAt(const std::string& path) {
  return KFileItem(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

// Dolphin's side: a window with a location bar and a view, and a context menu built as Dolphin
// builds it.
class Dolphin {
 public:
  Dolphin() : locationBar_(new KUrlNavigator(&window_)) {
    locationBar_->setActive(true);
    // As Dolphin opens a view, it makes every overlay-icon plugin's object.
    for (const KPluginMetaData& plugin :
         KPluginMetaData::findPlugins(QStringLiteral("kf5/overlayicon"))) {
      auto* overlays =
          qobject_cast<KOverlayIconPlugin*>(QPluginLoader(plugin.fileName()).instance());
      if (overlays != nullptr) overlayPlugins_.push_back(overlays);
    }
  }

  // What the view asks about each item it shows.
  void showItems(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
      for (KOverlayIconPlugin* plugin : overlayPlugins_) plugin->getOverlays(itemAt(path).url());
    }
  }

  // A new context menu for the request, holding the module's actions.
  std::unique_ptr<QMenu> menu(const Request& request) {
    KFileItemList items;
    for (const auto& path : request.paths) items.append(itemAt(path));
    const QUrl first = items.front().url();
    locationBar_->setLocationUrl(
        request.background ? first
                           : first.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash));
    auto menu = std::make_unique<QMenu>(&window_);
    // Dolphin keeps one such object per context menu; the plugin objects it makes go with it.
    auto* actions = new KFileItemActions(menu.get());
    actions->setParentWidget(&window_);
    actions->setItemListProperties(KFileItemListProperties(items));
    actions->addActionsTo(menu.get());
    return menu;
  }

 private:
  QWidget window_;  // never shown
  KUrlNavigator* locationBar_;
  std::vector<KOverlayIconPlugin*> overlayPlugins_;
};

std::vector<QAction*> entriesOf(const QMenu& menu) {
  std::vector<QAction*> entries;
  for (QAction* action : menu.actions()) {
    if (!action->isSeparator()) entries.push_back(action);
  }
  return entries;
}

// As the menu shows it: "&&" is a shown "&".
std::string labelOf(const QAction& action) {
  return action.text().replace(QStringLiteral("&&"), QStringLiteral("&")).toStdString();
}

void printEntries(const QMenu& menu, int depth) {
  for (QAction* action : entriesOf(menu)) {
    std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << labelOf(*action)
              << (action->isEnabled() ? "" : " [disabled]") << "\n";
    if (action->menu() != nullptr) printEntries(*action->menu(), depth + 1);
  }
}

// Prints the menu; true when it had entries.
bool printMenu(const QMenu& menu) {
  if (entriesOf(menu).empty()) {
    std::cout << harness::kNoMenu << "\n";
  } else {
    printEntries(menu, 0);
  }
  std::cout.flush();
  return !entriesOf(menu).empty();
}

QAction* findEntry(const QMenu& menu, const std::vector<std::string>& titles, std::size_t level) {
  for (QAction* action : entriesOf(menu)) {
    if (labelOf(*action) != titles[level]) continue;
    if (level + 1 == titles.size()) return action;
    if (action->menu() != nullptr) {
      if (QAction* found = findEntry(*action->menu(), titles, level + 1)) return found;
    }
  }
  return nullptr;
}

int choose(Dolphin& dolphin, const std::string& entry, const Request& request) {
  // Held until the entry has gone: the shared connection lives only while someone holds it.
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  int exit = 0;
  if (!request.answers.empty() && !harness::sendAnswers(bus, request.answers)) {
    exit = harness::kModuleExit;
  } else {
    const auto menu = dolphin.menu(request);
    QAction* action = findEntry(*menu, harness::splitTitles(entry), 0);
    if (action == nullptr) {
      std::cerr << "no entry \"" << entry << "\" in the menu\n";
      exit = 1;
    } else {
      action->trigger();
      runFor(kSettleMilliseconds);
      flushSessionBus();
    }
  }
  if (bus != nullptr) g_object_unref(bus);
  return exit;
}

// Without a signal, asks again every 100 ms as the next context menu would, until a menu shows
// where there was none (an extension started in the background now answers).
int pollForMenu(Dolphin& dolphin, double seconds, const Request& request) {
  const bool wasShown = printMenu(*dolphin.menu(request));
  std::cout << "--\n" << std::flush;
  std::cerr << "(no refresh signal)\n";
  const QDeadlineTimer end(static_cast<qint64>(seconds * 1000));
  while (!wasShown && !end.hasExpired()) {
    runFor(kPollMilliseconds);
    const auto menu = dolphin.menu(request);
    if (!entriesOf(*menu).empty()) {
      printMenu(*menu);
      return 0;
    }
  }
  std::cout << "(no refresh)\n" << std::flush;
  return 2;
}

// One request a line ("items<tab>PATH<tab>..." or "background<tab>FOLDER"), each answered with
// its menu and "--"; the event loop runs in between, as in a file manager that stays open.
void answerLine(Dolphin& dolphin) {
  std::string text;
  if (!std::getline(std::cin, text)) return QApplication::quit();
  std::vector<std::string> words;
  for (std::string::size_type start = 0;;) {
    const auto tab = text.find('\t', start);
    words.push_back(text.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (words.size() >= 2 && (words[0] == "items" || words[0] == "background")) {
    Request request;
    request.background = words[0] == "background";
    request.paths.assign(words.begin() + 1, words.end());
    printMenu(*dolphin.menu(request));
  } else {
    std::cout << "(not a request)\n";
  }
  std::cout << "--\n" << std::flush;
}

int session(Dolphin& dolphin) {
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&dolphin] { answerLine(dolphin); });
  std::cout << "ready\n" << std::flush;
  return QApplication::exec();
}

// Dolphin finds the module only as a plugin of its folder, and only by its metadata.
bool moduleFound(const fs::path& module) {
  const auto plugins = KPluginMetaData::findPlugins(QStringLiteral("kf5/kfileitemaction"));
  for (const KPluginMetaData& plugin : plugins) {
    if (plugin.pluginId() == QLatin1String(kPluginId) &&
        fs::equivalent(fs::path(plugin.fileName().toStdString()), module))
      return true;
  }
  std::cerr << module << " is not found as Dolphin finds file-item-action plugins\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const auto line = harness::parseCommandLine(argc, argv);
  if (!line) return harness::kUsageExit;
  std::error_code error;
  const fs::path module = fs::canonical(argv[1], error);
  const fs::path folder = module.parent_path();
  if (error || folder.filename() != "kfileitemaction" || folder.parent_path().filename() != "kf5") {
    std::cerr << argv[1] << " is not in a kf5/kfileitemaction folder, where Dolphin looks\n";
    return harness::kModuleExit;
  }
  qputenv("QT_PLUGIN_PATH", QFile::encodeName(folder.parent_path().parent_path().c_str()));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (!moduleFound(module)) return harness::kModuleExit;

  Dolphin dolphin;
  switch (line->command) {
    case harness::Command::menu:
      printMenu(*dolphin.menu(line->request));
      return 0;
    case harness::Command::choose:
      return choose(dolphin, line->entry, line->request);
    case harness::Command::menuAfterRefresh:
      return pollForMenu(dolphin, line->number, line->request);
    case harness::Command::menuRepeat:
      for (int time = 0; time < static_cast<int>(line->number); ++time) {
        printMenu(*dolphin.menu(line->request));
      }
      return 0;
    case harness::Command::session:
      return session(dolphin);
    case harness::Command::emblems:
      break;
  }
  dolphin.showItems(line->request.paths);
  runFor(kSettleMilliseconds);
  flushSessionBus();
  return 0;
}
