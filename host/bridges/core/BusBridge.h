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
  static constexpr std::size_t kBadgesPerCall = 50;

  // A start that follows a vanished extension this soon after the last one waits out the rest,
  // so an extension that keeps crashing is not restarted in a tight loop.
  static constexpr int kRestartSpacingMilliseconds = 5000;

  // Starts the extension in the background unless it runs, and keeps watching it: the extension
  // stays while a file manager is attached, and one that vanished is started again at once.
  BusBridge(std::string manager, HostStateFile hostState);
  ~BusBridge() override;

  void setItemsChanged(std::function<void()> itemsChanged) override;
  std::vector<Entry> menu(MenuKind kind, const std::vector<std::string>& paths) override;
  void perform(const Entry& entry, const std::vector<std::string>& paths) override;
  void requestBadge(const std::string& path) override;

 private:
  bool serves(const std::vector<std::string>& paths);
  bool reachable() const;
  // The extension is left alone (no menu asked, no badges sent) for that long.
  void keepQuietFor(gint64 milliseconds);
  GDBusConnection* bus();
  void watchExtension();
  void startInBackground();
  void restartWhenDue();
  void noteMissedMenu(const GError* error, bool started);
  void sendBadges();

  static void onAppeared(GDBusConnection* bus, const gchar* name, const gchar* owner,
                         gpointer self);
  static void onVanished(GDBusConnection* bus, const gchar* name, gpointer self);
  static gboolean restartNow(gpointer self);
  static void onAttached(GObject* source, GAsyncResult* result, gpointer self);
  static void onStarted(GObject* source, GAsyncResult* result, gpointer self);
  static void onPerformed(GObject* source, GAsyncResult* result, gpointer self);
  static void onBadgesSent(GObject* source, GAsyncResult* result, gpointer self);
  static gboolean sendBadgesWhenIdle(gpointer self);

  std::string manager_;
  HostStateFile hostState_;
  GDBusConnection* bus_ = nullptr;
  std::function<void()> itemsChanged_;
  guint watch_ = 0;
  bool running_ = false;        // the extension owns its bus name
  bool starting_ = false;       // a start asked of the bus has not been answered
  bool refreshWanted_ = false;  // a menu went without entries while the extension was coming up
  gint64 lastStart_ = 0;        // monotonic microseconds
  guint restartSource_ = 0;
  gint64 quietUntil_ = 0;  // monotonic microseconds
  std::vector<std::string> pendingBadges_;
  guint badgeSource_ = 0;
  bool badgesInFlight_ = false;
};

}  // namespace plovane::bridge
