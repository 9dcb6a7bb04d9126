// The least a GDBus service does to answer a menu call: it owns a name and answers every `Menu`
// with the text of the file it was given. What the extension's replies and its start by the bus
// are measured against (bench/compare.py runs it, and lets the bus start it, as a process of its
// own).
#include <gio/gio.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char kName[] = "org.plovane.bench.Echo";
constexpr char kInterface[] = R"(<node><interface name='org.plovane.bench.Echo'>
  <method name='Menu'><arg type='i' direction='in'/><arg type='aay' direction='in'/>
  <arg type='s' direction='out'/></method></interface></node>)";

std::string reply;

void answer(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
            GDBusMethodInvocation* invocation, gpointer) {
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", reply.c_str()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    g_printerr("usage: %s REPLY-FILE\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  reply.assign(std::istreambuf_iterator<char>(in), {});
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return 1;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
  static const GDBusInterfaceVTable vtable = {answer, nullptr, nullptr, {}};
  g_dbus_connection_register_object(bus, "/echo", node->interfaces[0], &vtable, nullptr, nullptr,
                                    nullptr);
  GVariant* owned = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
      g_variant_new("(su)", kName, 0u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
      nullptr);
  if (owned == nullptr) return 1;
  g_variant_unref(owned);
  g_main_loop_run(g_main_loop_new(nullptr, FALSE));
  return 0;
}
