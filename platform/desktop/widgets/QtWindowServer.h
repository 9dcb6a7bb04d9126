#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "platform/NSApplication.h"
#include "platform/NSWindow.h"
#include "platform/WindowServer.h"

namespace platform::desktop {

// Shows model windows as Qt Widgets top-level windows: each view gets a widget peer that
// mirrors it and turns the person's input into the control's action. Every control carries its
// model's accessible name, so screen readers and tests find it.
class QtWindowServer final : public WindowServer {
 public:
  using PolicyHandler = std::function<void(NSApplicationActivationPolicy)>;

  // Asset images are looked up in `resourcesFolder`.
  explicit QtWindowServer(std::filesystem::path resourcesFolder);
  ~QtWindowServer() override;

  void orderFront(NSWindow& window) override;
  void orderOut(NSWindow& window) override;
  void windowChanged(NSWindow& window) override;
  void activateIgnoringOtherApps() override;
  void setActivationPolicy(NSApplicationActivationPolicy policy) override;
  // Leaves the event loop once the current event is handled.
  void terminate() override;

  // Where the program publishes its policy (the bus registration).
  void setActivationPolicyHandler(PolicyHandler handler) { policyHandler_ = std::move(handler); }
  // Every window shown from now on carries the application's menu in its menu bar.
  void setApplicationMenu(NSApplication& application) { application_ = &application; }
  // The top-level widget of a window once it was shown; null before.
  QWidget* widgetFor(const NSWindow& window) const;

 private:
  std::filesystem::path resources_;
  PolicyHandler policyHandler_;
  NSApplication* application_ = nullptr;
  std::map<const NSWindow*, QPointer<QWidget>> windows_;
  // The shown windows, the most recently ordered front last.
  std::vector<const NSWindow*> stacking_;
};

}  // namespace platform::desktop
