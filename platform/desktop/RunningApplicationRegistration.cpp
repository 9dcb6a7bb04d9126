#include "desktop/RunningApplicationRegistration.h"

#include <string_view>

#include "desktop/BusNames.h"
#include "desktop/RunningApplications.h"

namespace platform::desktop {

// Q_CLASSINFO and Q_PROPERTY take literals; they must stay the names the readers ask for.
static_assert(std::string_view(bus::kRunningApplicationInterface) ==
              "com.quenlow.plovanemenu.RunningApplication");
static_assert(std::string_view(bus::kActivationPolicyProperty) == "ActivationPolicy");

RunningApplicationRegistration::RunningApplicationRegistration(QObject* application,
                                                               NSApplicationActivationPolicy policy)
    : QDBusAbstractAdaptor(application), policy_(policy) {}

RunningApplicationRegistration::~RunningApplicationRegistration() {
  if (!published_) return;
  published_->connection.unregisterService(published_->service);
  published_->connection.unregisterObject(published_->path);
}

bool RunningApplicationRegistration::publish(QDBusConnection connection,
                                             const std::string& bundleIdentifier) {
  const QString service = QString::fromStdString(bundleIdentifier);
  const QString path = objectPathForBundleIdentifier(service);
  if (!connection.registerObject(path, parent(), QDBusConnection::ExportAdaptors)) return false;
  if (!connection.registerService(service)) {
    connection.unregisterObject(path);
    return false;
  }
  published_ = Published{std::move(connection), service, path};
  return true;
}

QString RunningApplicationRegistration::activationPolicy() const {
  return activationPolicyName(policy_);
}

}  // namespace platform::desktop
