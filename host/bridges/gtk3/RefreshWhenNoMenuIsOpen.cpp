#include "gtk3/RefreshWhenNoMenuIsOpen.h"

#include <gtk/gtk.h>

namespace plovane::bridge::gtk3 {

namespace {

// Often enough that the next right-click after a menu closed finds the items refreshed.
constexpr guint kCheckMilliseconds = 200;

// A popped-up menu lives in a popup window of its own.
bool aMenuIsOpen() {
  GList* windows = gtk_window_list_toplevels();
  bool open = false;
  for (GList* window = windows; window != nullptr && !open; window = window->next) {
    auto* widget = GTK_WIDGET(window->data);
    open = gtk_widget_get_visible(widget) && GTK_IS_BIN(widget) &&
           GTK_IS_MENU(gtk_bin_get_child(GTK_BIN(widget)));
  }
  g_list_free(windows);
  return open;
}

gboolean refreshIfNoMenuIsOpen(gpointer data) {
  if (aMenuIsOpen()) return G_SOURCE_CONTINUE;
  (*static_cast<std::function<void()>*>(data))();
  return G_SOURCE_REMOVE;
}

}  // namespace

void refreshWhenNoMenuIsOpen(std::function<void()> refresh) {
  if (!aMenuIsOpen()) {
    refresh();
    return;
  }
  g_timeout_add_full(G_PRIORITY_DEFAULT, kCheckMilliseconds, refreshIfNoMenuIsOpen,
                     new std::function<void()>(std::move(refresh)),
                     [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

}  // namespace plovane::bridge::gtk3
