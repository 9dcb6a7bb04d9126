// Dolphin's badge plugin: Dolphin loads overlay-icon plugins as it opens a view and asks them
// about every item it shows, while it loads file-item-action plugins only at the first context
// menu. So this one starts the menu module's bridge as Dolphin starts, as the other file
// managers' modules do at their load, and forwards the badge requests. It is the menu module's
// library that holds the bridge: a second copy of it in Dolphin's process would watch, attach
// and restart twice.

#include <KOverlayIconPlugin>
#include <KPluginMetaData>
#include <QFile>
#include <QLibrary>
#include <QUrl>

namespace {

using RequestBadge = void (*)(const char* path);

// The menu module's entry for badge requests, which starts its bridge; null when the module is
// not installed beside this one.
RequestBadge menuModuleBadges() {
  const KPluginMetaData menuModule = KPluginMetaData::findPluginById(
      QStringLiteral("kf5/kfileitemaction"), QStringLiteral("plovane-menu-dolphin"));
  if (!menuModule.isValid()) return nullptr;
  // Never unloaded: the bridge's bus callbacks live in that library. KIO later opens the same
  // file and so gets the same library.
  QLibrary library(menuModule.fileName());
  return reinterpret_cast<RequestBadge>(library.resolve("plovane_dolphin_request_badge"));
}

class DolphinBadges final : public KOverlayIconPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.kde.overlayicon" FILE "plovane-menu-dolphin-badges.json")

 public:
  DolphinBadges() : requestBadge_(menuModuleBadges()) {
    if (requestBadge_ != nullptr) requestBadge_(nullptr);
  }

  // The extension registers no badge images, so there is nothing to draw; the requests still
  // reach it, batched by the bridge, without waiting.
  QStringList getOverlays(const QUrl& item) override {
    if (requestBadge_ != nullptr && item.isLocalFile()) {
      requestBadge_(QFile::encodeName(item.toLocalFile()).constData());
    }
    return {};
  }

 private:
  RequestBadge requestBadge_;
};

}  // namespace

#include "DolphinBadges.moc"
