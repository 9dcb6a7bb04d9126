#include "desktop/CommandFailureNotices.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariantMap>

namespace platform::desktop {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kApplicationName[] = "Plovane Menu";

}  // namespace

CommandFailureNotices::CommandFailureNotices(QtBusConnection bus, SystemLog& log)
    : bus_(std::move(bus)), log_(log) {}

void CommandFailureNotices::tell(const std::string& command, const std::string& reason) {
  if (command.empty()) return;
  auto notify = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  notify << QString::fromLatin1(kApplicationName) << 0u << QString()
         << QString::fromStdString(command) << QString::fromStdString(reason) << QStringList()
         << QVariantMap() << -1;
  // Never waited for: a command must not stall on the desktop's notification server.
  auto* watcher = new QDBusPendingCallWatcher(bus_.get().asyncCall(notify), &pending_);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &pending_,
                   [this, watcher, command, reason] {
                     watcher->deleteLater();
                     if (!watcher->isError()) return;
                     log_.log("no notification shown for \"" + command + "\" (" + reason +
                              "): " + watcher->error().message().toStdString());
                   });
}

}  // namespace platform::desktop
