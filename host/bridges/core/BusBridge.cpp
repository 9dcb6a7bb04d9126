#include "core/BusBridge.h"

#include <algorithm>

#include "core/BusPaths.h"
#include "core/MenuReply.h"
#include "desktop/findersync/FinderSyncProtocol.h"

namespace plovane::bridge {

namespace {

namespace protocol = platform::desktop::finder_sync;

static_assert(static_cast<int>(MenuKind::items) == protocol::kItemsMenu &&
              static_cast<int>(MenuKind::container) == protocol::kContainerMenu);

constexpr gint64 kMicrosecondsPerMillisecond = 1000;
// An extension that cannot be started is not tried again on every selection change.
constexpr gint64 kQuietAfterFailedStartMilliseconds = 30'000;

bool isNotRunning(const GError* error) {
  return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
}

bool isTimeout(const GError* error) {
  return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMED_OUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY);
}

// Replies nobody waits for are checked only to say what went wrong.
void noteFailure(GObject* source, GAsyncResult* result, const char* what) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply != nullptr) g_variant_unref(reply);
  if (error == nullptr) return;
  g_message("Plovane Menu: %s failed: %s", what, error->message);
  g_error_free(error);
}

}  // namespace

BusBridge::BusBridge(std::string manager, HostStateFile hostState)
    : manager_(std::move(manager)), hostState_(std::move(hostState)) {}

BusBridge::~BusBridge() {
  if (badgeSource_ != 0) g_source_remove(badgeSource_);
  if (bus_ != nullptr) g_object_unref(bus_);
}

void BusBridge::setItemsChanged(std::function<void()> itemsChanged) {
  itemsChanged_ = std::move(itemsChanged);
}

bool BusBridge::serves(const std::vector<std::string>& paths) {
  const HostState& state = hostState_.current();
  return state.enabledFor(manager_) && state.containsAll(paths);
}

bool BusBridge::reachable() const { return !starting_ && g_get_monotonic_time() >= quietUntil_; }

GDBusConnection* BusBridge::bus() {
  if (bus_ == nullptr) bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  return bus_;
}

std::vector<Entry> BusBridge::menu(MenuKind kind, const std::vector<std::string>& paths) {
  if (!serves(paths) || !reachable() || bus() == nullptr) return {};
  GError* error = nullptr;
  // Not started by this call: a file manager must not wait for an extension to come up.
  GVariant* reply = g_dbus_connection_call_sync(
      bus_, protocol::kService, protocol::kPath, protocol::kInterface, protocol::kMenu.name,
      g_variant_new("(i@aay)", static_cast<gint32>(kind), pathsVariant(paths)),
      G_VARIANT_TYPE(protocol::kMenu.reply), G_DBUS_CALL_FLAGS_NO_AUTO_START, kMenuWaitMilliseconds,
      nullptr, &error);
  if (reply == nullptr) {
    if (isNotRunning(error)) {
      startInBackground();
    } else if (isTimeout(error)) {
      quietUntil_ =
          g_get_monotonic_time() + kQuietAfterTimeoutMilliseconds * kMicrosecondsPerMillisecond;
    } else {
      g_message("Plovane Menu: no menu: %s", error->message);
    }
    g_error_free(error);
    return {};
  }
  const gchar* json = nullptr;
  g_variant_get(reply, "(&s)", &json);
  auto entries = entriesFromMenuReply(json);
  g_variant_unref(reply);
  return entries.value_or(std::vector<Entry>{});
}

void BusBridge::startInBackground() {
  starting_ = true;
  g_dbus_connection_call(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "StartServiceByName",
                         g_variant_new("(su)", protocol::kService, 0u), G_VARIANT_TYPE("(u)"),
                         G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &BusBridge::onStarted, this);
}

void BusBridge::onStarted(GObject* source, GAsyncResult* result, gpointer self) {
  auto& bridge = *static_cast<BusBridge*>(self);
  bridge.starting_ = false;
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply == nullptr) {
    g_message("Plovane Menu: the extension could not be started: %s", error->message);
    g_error_free(error);
    bridge.quietUntil_ =
        g_get_monotonic_time() + kQuietAfterFailedStartMilliseconds * kMicrosecondsPerMillisecond;
    return;
  }
  g_variant_unref(reply);
  if (bridge.itemsChanged_) bridge.itemsChanged_();
}

void BusBridge::perform(const Entry& entry, const std::vector<std::string>& paths) {
  if (bus() == nullptr) return;
  // May start the extension: the person chose the entry, and nothing here waits for it.
  g_dbus_connection_call(
      bus_, protocol::kService, protocol::kPath, protocol::kInterface, protocol::kPerform.name,
      g_variant_new("(sxs@aay)", entry.action.c_str(), static_cast<gint64>(entry.tag),
                    entry.title.c_str(), pathsVariant(paths)),
      G_VARIANT_TYPE(protocol::kPerform.reply), G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
      &BusBridge::onPerformed, this);
}

void BusBridge::onPerformed(GObject* source, GAsyncResult* result, gpointer) {
  noteFailure(source, result, "the chosen entry");
}

void BusBridge::requestBadge(const std::string& path) {
  if (!serves({path}) || !reachable()) return;
  pendingBadges_.push_back(path);
  // The file manager asks once per shown item in a burst: the burst goes out once it is over.
  if (!badgesInFlight_ && badgeSource_ == 0) {
    badgeSource_ = g_idle_add(&BusBridge::sendBadgesWhenIdle, this);
  }
}

gboolean BusBridge::sendBadgesWhenIdle(gpointer self) {
  auto& bridge = *static_cast<BusBridge*>(self);
  bridge.badgeSource_ = 0;
  bridge.sendBadges();
  return G_SOURCE_REMOVE;
}

void BusBridge::sendBadges() {
  if (pendingBadges_.empty() || bus() == nullptr) return;
  const auto end = pendingBadges_.begin() +
                   static_cast<std::ptrdiff_t>(std::min(kBadgesPerCall, pendingBadges_.size()));
  const std::vector<std::string> batch(pendingBadges_.begin(), end);
  pendingBadges_.erase(pendingBadges_.begin(), end);
  badgesInFlight_ = true;
  g_dbus_connection_call(bus_, protocol::kService, protocol::kPath, protocol::kInterface,
                         protocol::kRequestBadges.name,
                         g_variant_new("(@aay)", pathsVariant(batch)),
                         G_VARIANT_TYPE(protocol::kRequestBadges.reply), G_DBUS_CALL_FLAGS_NONE, -1,
                         nullptr, &BusBridge::onBadgesSent, this);
}

void BusBridge::onBadgesSent(GObject* source, GAsyncResult* result, gpointer self) {
  auto& bridge = *static_cast<BusBridge*>(self);
  bridge.badgesInFlight_ = false;
  noteFailure(source, result, "the badge requests");
  bridge.sendBadges();
}

}  // namespace plovane::bridge
