#include "kio/ShownFolder.h"

#include <KUrlNavigator>
#include <QWidget>

namespace plovane::bridge::kio {

QUrl shownFolder(const QWidget* window) {
  if (window == nullptr) return {};
  // A split view has a location bar per view; the active one belongs to the view clicked in.
  const auto bars = window->findChildren<KUrlNavigator*>();
  for (const KUrlNavigator* bar : bars) {
    if (bar->isActive()) return bar->locationUrl();
  }
  return bars.size() == 1 ? bars.front()->locationUrl() : QUrl();
}

}  // namespace plovane::bridge::kio
