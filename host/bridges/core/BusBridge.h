#pragma once

#include <gio/gio.h>

#include <string>
#include <vector>

#include "core/Bridge.h"
#include "core/HostStateFile.h"

namespace plovane::bridge {

// The bridge over the session bus, with the extension's bus name and interface.
class BusBridge final : public Bridge {
 public:
  // The extension takes one call at a time, so a menu asked behind badge requests waits for the
  // call in flight: calls stay small, and the next goes out only once the last was answered.
  static constexpr std::size_t kBadgesPerCall = 250;

  BusBridge(std::string manager, HostStateFile hostState);
  ~BusBridge() override;

  void setItemsChanged(std::function<void()> itemsChanged) override;
  std::vector<Entry> menu(MenuKind kind, const std::vector<std::string>& paths) override;
  void perform(const Entry& entry, const std::vector<std::string>& paths) override;
  void requestBadge(const std::string& path) override;

 private:
  bool serves(const std::vector<std::string>& paths);
  bool reachable() const;
  GDBusConnection* bus();
  void startInBackground();
  void sendBadges();

  static void onStarted(GObject* source, GAsyncResult* result, gpointer self);
  static void onPerformed(GObject* source, GAsyncResult* result, gpointer self);
  static void onBadgesSent(GObject* source, GAsyncResult* result, gpointer self);
  static gboolean sendBadgesWhenIdle(gpointer self);

  std::string manager_;
  HostStateFile hostState_;
  GDBusConnection* bus_ = nullptr;
  std::function<void()> itemsChanged_;
  bool starting_ = false;
  gint64 quietUntil_ = 0;  // monotonic microseconds
  std::vector<std::string> pendingBadges_;
  guint badgeSource_ = 0;
  bool badgesInFlight_ = false;
};

}  // namespace plovane::bridge
