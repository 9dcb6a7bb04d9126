#include "core/BusBridge.h"

#include <algorithm>
#include <optional>

#include "core/BusPaths.h"
#include "core/MenuReply.h"
#include "protocol/FinderSyncProtocol.h"

namespace plovane::bridge {

namespace {

namespace protocol = platform::protocol;

static_assert(static_cast<int>(MenuKind::items) == protocol::kItemsMenu &&
              static_cast<int>(MenuKind::container) == protocol::kContainerMenu);
static_assert(BusBridge::kBadgesPerCall <= static_cast<std::size_t>(protocol::kMostBadgesPerCall));

constexpr gint64 kMicrosecondsPerMillisecond = 1000;
// An extension that cannot be started is not tried again on every selection change.
constexpr gint64 kQuietAfterFailedStartMilliseconds = 30'000;

// What a reply takes at most to read, per millisecond of the limit: 256 KB were read in 93 ms at
// the slowest on a loaded 2-core machine. A reply that would not be read within what is left of
// the limit is not read.
constexpr gint64 kReplyBytesPerMillisecond = 2048;

std::size_t readableInTime(gint64 begun) {
  const gint64 left =
      begun + Bridge::kMenuWaitMilliseconds * kMicrosecondsPerMillisecond - g_get_monotonic_time();
  return left <= 0 ? 0
                   : static_cast<std::size_t>(left * kReplyBytesPerMillisecond /
                                              kMicrosecondsPerMillisecond);
}

bool isNotRunning(const GError* error) {
  return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
}

bool isTimeout(const GError* error) {
  return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMED_OUT);
}

// The extension ended while the call was under way: no stall, the watch starts it again.
bool isGoneMidCall(const GError* error) {
  return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY);
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
    : manager_(std::move(manager)), hostState_(std::move(hostState)) {
  watchExtension();
}

BusBridge::~BusBridge() {
  if (watch_ != 0) g_bus_unwatch_name(watch_);
  if (restartSource_ != 0) g_source_remove(restartSource_);
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

bool BusBridge::reachable() const { return g_get_monotonic_time() >= quietUntil_; }

void BusBridge::keepQuietFor(gint64 milliseconds) {
  quietUntil_ = g_get_monotonic_time() + milliseconds * kMicrosecondsPerMillisecond;
}

GDBusConnection* BusBridge::bus() {
  if (bus_ == nullptr) bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  return bus_;
}

void BusBridge::watchExtension() {
  if (bus() == nullptr) return;
  // The first answer comes from the main loop: until then, whether it runs is asked once here,
  // so a right-click straight after loading knows whether to wait for a start.
  GVariant* owned = g_dbus_connection_call_sync(
      bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
      g_variant_new("(s)", protocol::kService), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
      kMenuWaitMilliseconds, nullptr, nullptr);
  if (owned != nullptr) {
    gboolean value = FALSE;
    g_variant_get(owned, "(b)", &value);
    running_ = value != FALSE;
    g_variant_unref(owned);
  }
  watch_ =
      g_bus_watch_name_on_connection(bus_, protocol::kService, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                     &BusBridge::onAppeared, &BusBridge::onVanished, this, nullptr);
}

void BusBridge::onAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer self) {
  auto& bridge = *static_cast<BusBridge*>(self);
  bridge.running_ = true;
  g_dbus_connection_call(bridge.bus_, protocol::kService, protocol::kPath, protocol::kInterface,
                         protocol::kAttach.name, nullptr, G_VARIANT_TYPE(protocol::kAttach.reply),
                         G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, &BusBridge::onAttached,
                         self);
  if (bridge.refreshWanted_) {
    bridge.refreshWanted_ = false;
    if (bridge.itemsChanged_) bridge.itemsChanged_();
  }
}

void BusBridge::onAttached(GObject* source, GAsyncResult* result, gpointer) {
  noteFailure(source, result, "attaching to the extension");
}

void BusBridge::onVanished(GDBusConnection*, const gchar*, gpointer self) {
  auto& bridge = *static_cast<BusBridge*>(self);
  bridge.running_ = false;
  // A file manager may have built a menu while it was gone (Nautilus keeps the one it built at
  // the last selection change): once it is back, the file manager asks again.
  bridge.refreshWanted_ = true;
  // Only where this file manager shows the menu: a user who switched it off starts nothing.
  if (bridge.hostState_.current().enabledFor(bridge.manager_)) bridge.restartWhenDue();
}

void BusBridge::restartWhenDue() {
  if (starting_ || restartSource_ != 0) return;
  const gint64 due = lastStart_ + kRestartSpacingMilliseconds * kMicrosecondsPerMillisecond;
  const gint64 now = g_get_monotonic_time();
  if (lastStart_ == 0 || now >= due) {
    startInBackground();
    return;
  }
  restartSource_ = g_timeout_add(static_cast<guint>((due - now) / kMicrosecondsPerMillisecond) + 1,
                                 &BusBridge::restartNow, this);
}

gboolean BusBridge::restartNow(gpointer self) {
  auto& bridge = *static_cast<BusBridge*>(self);
  bridge.restartSource_ = 0;
  if (!bridge.running_) bridge.startInBackground();
  return G_SOURCE_REMOVE;
}

std::vector<Entry> BusBridge::menu(MenuKind kind, const std::vector<std::string>& paths) {
  if (!serves(paths)) {
    // An extension coming up writes the directory set afresh: ask again once it is there.
    if (!running_) refreshWanted_ = true;
    return {};
  }
  if (!reachable() || bus() == nullptr) return {};
  // A running extension is asked without starting it; one that is not is started by this call,
  // which waits for it within the same limit: a start usually fits, and the right-click that
  // found it gone then still shows the menu.
  const bool running = running_;
  const gint64 begun = g_get_monotonic_time();
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus_, protocol::kService, protocol::kPath, protocol::kInterface, protocol::kMenu.name,
      g_variant_new("(i@aay)", static_cast<gint32>(kind), pathsVariant(paths)),
      G_VARIANT_TYPE(protocol::kMenu.reply),
      running ? G_DBUS_CALL_FLAGS_NO_AUTO_START : G_DBUS_CALL_FLAGS_NONE, kMenuWaitMilliseconds,
      nullptr, &error);
  if (reply == nullptr) {
    noteMissedMenu(error, !running);
    g_error_free(error);
    return {};
  }
  GVariant* text = g_variant_get_child_value(reply, 0);
  gsize length = 0;
  const gchar* json = g_variant_get_string(text, &length);
  std::optional<std::vector<Entry>> entries;
  // Reading counts against the limit too; a start already took what it took.
  if (!running || length <= readableInTime(begun)) {
    entries = entriesFromMenuReply({json, length});
  } else {
    g_message("Plovane Menu: a menu of %zu bytes cannot be read in what is left of %d ms",
              static_cast<std::size_t>(length), kMenuWaitMilliseconds);
  }
  g_variant_unref(text);
  g_variant_unref(reply);
  // A reply refused, or one that took the whole limit to read, counts as a stall: the next
  // right-clicks do not pay for it again.
  const bool slow =
      g_get_monotonic_time() - begun > kMenuWaitMilliseconds * kMicrosecondsPerMillisecond;
  if (!entries || (running && slow)) {
    keepQuietFor(kQuietAfterTimeoutMilliseconds);
  }
  return entries.value_or(std::vector<Entry>{});
}

void BusBridge::noteMissedMenu(const GError* error, bool started) {
  if (isNotRunning(error) && !started) {
    // It went since the watch last said it ran.
    refreshWanted_ = true;
    startInBackground();
  } else if (isGoneMidCall(error) || (isTimeout(error) && started)) {
    // Gone under way, or still coming up: the file manager asks again once it is up.
    refreshWanted_ = true;
  } else if (isTimeout(error)) {
    keepQuietFor(kQuietAfterTimeoutMilliseconds);
  } else {
    g_message("Plovane Menu: no menu: %s", error->message);
    // An extension that cannot be started is not tried again on every selection change.
    if (started) {
      keepQuietFor(kQuietAfterFailedStartMilliseconds);
    }
  }
}

void BusBridge::startInBackground() {
  if (starting_ || bus() == nullptr) return;
  starting_ = true;
  lastStart_ = g_get_monotonic_time();
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
    bridge.keepQuietFor(kQuietAfterFailedStartMilliseconds);
    return;
  }
  // Its name appearing tells the rest (the watch attaches and refreshes).
  g_variant_unref(reply);
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
