#include "host/window/FinderWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <iostream>

#include "desktop/ImageRendering.h"
#include "host/commandline/MenuRequests.h"

namespace plovane::host {

namespace {

using platform::desktop::FinderSyncClient;

ExtensionCalls callsThrough(FinderSyncClient& client) {
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

}  // namespace

FinderWindowSession::FinderWindowSession()
    : client_(QDBusConnection::sessionBus()),
      defaults_(platform::UserDefaultsRoot::defaultRoot(),
                [this](const std::string& line) { log_.log(line); }),
      state_(defaults_),
      window_(state_, callsThrough(client_)) {
  QObject::connect(&client_, &FinderSyncClient::actionFinished, &window_,
                   &FinderMainWindow::actionFinished);
}

std::unique_ptr<FinderWindowSession> FinderWindowSession::open(const Request& request) {
  if (!sessionBusAvailable()) {
    std::cerr << "plovane-finder: the window needs a session bus to reach the extension; "
                 "without a desktop session, start one for it: "
                 "dbus-run-session -- plovane-finder --window\n";
    return nullptr;
  }
  std::unique_ptr<FinderWindowSession> session(new FinderWindowSession());
  // The extension then sets the directory set. Without it the window is still a file manager,
  // with no extension menu.
  const auto notStarted = session->client_.start();
  auto& window = session->window_;
  const auto folder = request.folder.value_or(QFile::encodeName(QDir::homePath()).toStdString());
  if (!window.openFolder(folder)) {
    std::cerr << "plovane-finder: " << window.statusMessage().message().toStdString() << "\n";
    return nullptr;
  }
  if (notStarted) {
    session->log_.log(*notStarted);
    window.statusMessage().setMessage(QString::fromStdString(*notStarted));
  }
  return session;
}

int runWindow(const Request& request, int& argc, char** argv) {
  QApplication application(argc, argv);
  platform::desktop::useBundledIconTheme();
  const auto session = FinderWindowSession::open(request);
  if (!session) return 1;
  session->window().show();
  return application.exec();
}

}  // namespace plovane::host
