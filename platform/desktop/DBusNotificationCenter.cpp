#include "desktop/DBusNotificationCenter.h"

#include <QDBusMessage>
#include <QStringList>

namespace platform::desktop {

namespace {

const QString kPath = QStringLiteral("/com/quenlow/plovanemenu/Notifications");
const QString kInterface = QStringLiteral("com.quenlow.plovanemenu.DistributedNotifications");
const QString kMember = QStringLiteral("Posted");

}  // namespace

void NotificationReceiver::posted(const QString&, const QString&) { observer_(); }

DBusNotificationCenter::DBusNotificationCenter(QtBusConnection connection)
    : connection_(std::move(connection)) {}

void DBusNotificationCenter::postNotificationName(const std::string& name,
                                                  const std::string& object) {
  auto signal = QDBusMessage::createSignal(kPath, kInterface, kMember);
  signal << QString::fromStdString(name) << QString::fromStdString(object);
  connection_.get().send(signal);
}

void DBusNotificationCenter::addObserver(const std::string& name, const std::string& object,
                                         Observer observer) {
  auto receiver = std::make_unique<NotificationReceiver>(std::move(observer));
  connection_.get().connect(
      QString(), kPath, kInterface, kMember,
      QStringList{QString::fromStdString(name), QString::fromStdString(object)},
      QStringLiteral("ss"), receiver.get(), SLOT(posted(QString, QString)));
  receivers_.push_back(std::move(receiver));
}

}  // namespace platform::desktop
