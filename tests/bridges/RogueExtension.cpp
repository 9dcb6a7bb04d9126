#include "RogueExtension.h"

#include <chrono>

#include "protocol/FinderSyncProtocol.h"

namespace plovane::testing {

namespace {

namespace names = platform::protocol;

constexpr char kIntrospection[] =
    "<node><interface name='com.quenlow.plovanemenu.FinderSync'>"
    "<method name='Menu'><arg type='i' direction='in'/><arg type='aay' direction='in'/>"
    "<arg type='s' direction='out'/></method>"
    "<method name='Attach'/></interface></node>";

}  // namespace

RogueExtension::RogueExtension(const std::string& busAddress, std::string reply,
                               guint delayMilliseconds)
    : reply_(std::move(reply)),
      delayMilliseconds_(delayMilliseconds),
      thread_([this, busAddress] { serve(busAddress); }) {
  while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

RogueExtension::~RogueExtension() {
  g_main_context_invoke(
      context_,
      [](gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      loop_);
  thread_.join();
  g_main_loop_unref(loop_);
  g_main_context_unref(context_);
}

void RogueExtension::serve(const std::string& busAddress) {
  g_main_context_push_thread_default(context_);
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      busAddress.c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  if (bus != nullptr && node != nullptr) {
    static const GDBusInterfaceVTable vtable{&RogueExtension::answer, nullptr, nullptr, {}};
    g_dbus_connection_register_object(bus, names::kPath, node->interfaces[0], &vtable, this,
                                      nullptr, nullptr);
    GVariant* owned = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", names::kService, 4u /* do not queue */), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (owned != nullptr) {
      guint32 result = 0;
      g_variant_get(owned, "(u)", &result);
      ownsName_ = result == 1;  // the primary owner
      g_variant_unref(owned);
    }
  }
  ready_ = true;
  g_main_loop_run(loop_);
  if (node != nullptr) g_dbus_node_info_unref(node);
  if (bus != nullptr) {
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
  }
  g_main_context_pop_thread_default(context_);
}

void RogueExtension::answer(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                            const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                            gpointer self) {
  auto& rogue = *static_cast<RogueExtension*>(self);
  if (std::string(method) != names::kMenu.name) {
    g_dbus_method_invocation_return_value(invocation, nullptr);
    return;
  }
  ++rogue.menusAsked_;
  struct Answer {
    GDBusMethodInvocation* invocation;
    const std::string* reply;
  };
  GSource* later = g_timeout_source_new(rogue.delayMilliseconds_);
  g_source_set_callback(
      later,
      [](gpointer data) {
        auto* answer = static_cast<Answer*>(data);
        g_dbus_method_invocation_return_value(answer->invocation,
                                              g_variant_new("(s)", answer->reply->c_str()));
        delete answer;
        return G_SOURCE_REMOVE;
      },
      new Answer{invocation, &rogue.reply_}, nullptr);
  g_source_attach(later, rogue.context_);
  g_source_unref(later);
}

}  // namespace plovane::testing
