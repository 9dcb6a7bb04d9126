#include "host/FinderWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <iostream>

#include "desktop/ImageRendering.h"
#include "desktop/StreamSystemLog.h"
#include "host/ExtensionClient.h"
#include "host/FinderWindowHostState.h"
#include "host/FinderWindowMain.h"
#include "host/FinderWindowScreenshot.h"
#include "host/MenuRequests.h"

namespace plovane::host {

namespace {

ExtensionCalls callsThrough(ExtensionClient& client) {
  return {
      [&client](platform::FIMenuKind kind, const std::vector<platform::NSURL>& selection) {
        return client.menu(kind, selection);
      },
      [&client](const platform::NSMenuItem& entry, const std::vector<platform::NSURL>& selection) {
        return client.perform(entry, selection);
      },
      [&client](const platform::NSURL& folder) { client.beginObserving(folder); },
      [&client](const platform::NSURL& folder) { client.endObserving(folder); },
      [&client](const platform::NSURL& item) { client.requestBadge(item); }};
}

int runScreenshot(FinderMainWindow& window, const Request& request) {
  const auto why = takeScreenshot(window, {request.menuItem, request.submenu}, *request.screenshot);
  if (!why) return 0;
  std::cerr << "plovane-finder: no screenshot: " << *why << "\n";
  return 1;
}

}  // namespace

int runWindow(const Request& request, int& argc, char** argv) {
  QApplication application(argc, argv);
  platform::desktop::useBundledIconTheme();
  if (!sessionBusAvailable()) {
    std::cerr << "plovane-finder: the window needs a session bus to reach the extension; "
                 "without a desktop session, start one for it: "
                 "dbus-run-session -- plovane-finder --window\n";
    return 1;
  }
  ExtensionClient client(QDBusConnection::sessionBus());
  platform::desktop::StreamSystemLog log;
  platform::UserDefaultsRoot defaults(platform::UserDefaultsRoot::defaultRoot(),
                                      [&log](const std::string& line) { log.log(line); });
  FinderHostState state(defaults);
  FinderMainWindow window(state, callsThrough(client));
  QObject::connect(&client, &ExtensionClient::actionFinished, &window,
                   &FinderMainWindow::actionFinished);
  // The file manager starts its extensions before it shows a folder; the extension then sets
  // the directory set. Without it the window is still a file manager, with no extension menu.
  const auto notStarted = client.start();
  const auto folder = request.folder.value_or(QFile::encodeName(QDir::homePath()).toStdString());
  if (!window.openFolder(folder)) {
    std::cerr << "plovane-finder: " << window.statusMessage().message().toStdString() << "\n";
    return 1;
  }
  if (notStarted) {
    log.log(*notStarted);
    window.statusMessage().setMessage(QString::fromStdString(*notStarted));
  }
  if (!request.screenshot) {
    window.show();
    return application.exec();
  }
  // The picture is of the whole screen, so the window fills it.
  window.showMaximized();
  return runScreenshot(window, request);
}

}  // namespace plovane::host
