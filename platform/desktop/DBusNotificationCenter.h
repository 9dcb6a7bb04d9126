#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "desktop/QtBusConnection.h"
#include "platform/NSDistributedNotificationCenter.h"

namespace platform::desktop {

// One observation: the slot the bus delivers a matching signal to.
class NotificationReceiver : public QObject {
  Q_OBJECT
 public:
  explicit NotificationReceiver(NSDistributedNotificationCenter::Observer observer)
      : observer_(std::move(observer)) {}
 public slots:
  void posted(const QString& name, const QString& object);

 private:
  NSDistributedNotificationCenter::Observer observer_;
};

// Distributed notifications as D-Bus signals on the session bus. The bus itself filters by
// name and object through each observer's match rule, so a process wakes only for its own.
class DBusNotificationCenter final : public NSDistributedNotificationCenter {
 public:
  explicit DBusNotificationCenter(QtBusConnection connection);

  void postNotificationName(const std::string& name, const std::string& object) override;
  void addObserver(const std::string& name, const std::string& object, Observer observer) override;

 private:
  QtBusConnection connection_;
  // Destroying a receiver also removes its match rule from the connection.
  std::vector<std::unique_ptr<NotificationReceiver>> receivers_;
};

}  // namespace platform::desktop
