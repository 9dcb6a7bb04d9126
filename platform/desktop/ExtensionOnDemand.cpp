#include "desktop/ExtensionOnDemand.h"

#include <QDBusConnectionInterface>
#include <algorithm>

#include "desktop/filemanagers/FileManagers.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

bool extensionStartsOnDemand(const QDBusConnection& connection, MenuSwitches& switches) {
  if (!connection.isConnected()) return false;
  const QStringList activatable = connection.interface()->activatableServiceNames().value();
  if (!activatable.contains(QString::fromLatin1(protocol::kService))) return false;
  const auto found = fileManagersFound(knownFileManagers(), switches);
  return std::any_of(found.begin(), found.end(),
                     [](const FileManagerState& state) { return state.installed && state.menuOn; });
}

}  // namespace platform::desktop
