#include "desktop/widgets/QtWindowServer.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "desktop/widgets/WindowPeer.h"

namespace platform::desktop {

namespace {

// The application menu as a menu bar; choosing an item sends its action to the delegate.
QMenuBar* menuBarFor(NSApplication& application, QWidget* window) {
  auto* bar = new QMenuBar(window);
  QMenu* menu = bar->addMenu(QString::fromStdString(application.mainMenu.title));
  for (const NSMenuItem& item : application.mainMenu.items) {
    QAction* action = menu->addAction(QString::fromStdString(item.title));
    if (!item.keyEquivalent.empty()) {
      action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") +
                                       QString::fromStdString(item.keyEquivalent).toUpper()));
    }
    QObject::connect(action, &QAction::triggered, window,
                     [&application, item] { application.sendMenuAction(item); });
  }
  return bar;
}

}  // namespace

QtWindowServer::QtWindowServer(std::filesystem::path resourcesFolder)
    : resources_(std::move(resourcesFolder)) {}

QtWindowServer::~QtWindowServer() {
  for (auto& [window, widget] : windows_) delete widget.data();
}

void QtWindowServer::orderFront(NSWindow& window) {
  std::erase_if(windows_, [](const auto& entry) { return entry.second.isNull(); });
  QWidget* widget = widgetFor(window);
  if (widget == nullptr) {
    widget = new WindowPeer(window, PeerContext{resources_});
    if (application_ != nullptr) widget->layout()->setMenuBar(menuBarFor(*application_, widget));
    windows_[&window] = widget;
  }
  std::erase(stacking_, &window);
  stacking_.push_back(&window);
  widget->show();
  widget->raise();
  widget->activateWindow();
}

void QtWindowServer::orderOut(NSWindow& window) {
  std::erase(stacking_, &window);
  if (QWidget* widget = widgetFor(window)) widget->hide();
}

void QtWindowServer::windowChanged(NSWindow& window) {
  if (auto* peer = qobject_cast<WindowPeer*>(widgetFor(window))) peer->modelChanged();
}

void QtWindowServer::activateIgnoringOtherApps() {
  QWidget* front = nullptr;
  for (const NSWindow* window : stacking_) {
    if (QWidget* widget = widgetFor(*window); widget != nullptr && widget->isVisible()) {
      widget->raise();
      front = widget;
    }
  }
  if (front != nullptr) front->activateWindow();
}

void QtWindowServer::setActivationPolicy(NSApplicationActivationPolicy policy) {
  if (policyHandler_) policyHandler_(policy);
}

void QtWindowServer::terminate() {
  // Asked from inside an event (a menu action, a window closing) or before the loop runs: the
  // loop ends once it is back in control.
  if (auto* application = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(
        application, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  }
}

QWidget* QtWindowServer::widgetFor(const NSWindow& window) const {
  auto found = windows_.find(&window);
  if (found == windows_.end()) return nullptr;
  // A window made at a gone window's address is not the gone one's widget.
  auto* peer = qobject_cast<WindowPeer*>(found->second.data());
  return peer != nullptr && peer->model() == &window ? peer : nullptr;
}

}  // namespace platform::desktop
