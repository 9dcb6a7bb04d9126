#pragma once

#include <QDBusConnection>
#include <optional>
#include <utility>

namespace platform::desktop {

// Qt's connection to a bus: the one given, or else the session bus, opened when first used.
// The extension answers the file managers on a connection of its own, so it opens Qt's at its
// first call of its own, not at start.
class QtBusConnection {
 public:
  QtBusConnection() = default;
  QtBusConnection(QDBusConnection connection) : connection_(std::move(connection)) {}

  // Qt keeps the session bus's connection once opened, so asking again is cheap; from any
  // thread.
  QDBusConnection get() const { return connection_ ? *connection_ : QDBusConnection::sessionBus(); }

 private:
  std::optional<QDBusConnection> connection_;
};

}  // namespace platform::desktop
