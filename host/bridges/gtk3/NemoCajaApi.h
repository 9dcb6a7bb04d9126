#pragma once

// Nemo and Caja share one extension API under two prefixes. The module and its harness are
// written once against these names and built once per file manager, chosen by
// PLOVANE_FOR_NEMO or PLOVANE_FOR_CAJA.

#include <glib-object.h>
#include <gtk/gtk.h>

#if defined(PLOVANE_FOR_NEMO)
#include <libnemo-extension/nemo-extension-types.h>
#include <libnemo-extension/nemo-file-info.h>
#include <libnemo-extension/nemo-info-provider.h>
#include <libnemo-extension/nemo-menu-provider.h>
#include <libnemo-extension/nemo-menu.h>
#define PLOVANE_FM_SYMBOL(name) nemo_##name
#define PLOVANE_FM_TYPE(name) Nemo##name
#define PLOVANE_FM_NAME "nemo"
#define PLOVANE_FM_TITLE "Nemo"
#elif defined(PLOVANE_FOR_CAJA)
#include <libcaja-extension/caja-extension-types.h>
#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-info-provider.h>
#include <libcaja-extension/caja-menu-provider.h>
#include <libcaja-extension/caja-menu.h>
#define PLOVANE_FM_SYMBOL(name) caja_##name
#define PLOVANE_FM_TYPE(name) Caja##name
#define PLOVANE_FM_NAME "caja"
#define PLOVANE_FM_TITLE "Caja"
#else
#error "Define PLOVANE_FOR_NEMO or PLOVANE_FOR_CAJA"
#endif

namespace plovane::bridge::gtk3 {

// The name the user switches the integration off by.
inline constexpr char kManager[] = PLOVANE_FM_NAME;
// Nemo lists (and lets the user disable) modules by their type names.
inline constexpr char kProviderTypeName[] = "PlovaneMenu" PLOVANE_FM_TITLE "Provider";
// The module's entry points, as the file manager looks them up.
inline constexpr char kInitializeSymbol[] = PLOVANE_FM_NAME "_module_initialize";
inline constexpr char kShutdownSymbol[] = PLOVANE_FM_NAME "_module_shutdown";
inline constexpr char kListTypesSymbol[] = PLOVANE_FM_NAME "_module_list_types";

using FileInfo = PLOVANE_FM_TYPE(FileInfo);
using Menu = PLOVANE_FM_TYPE(Menu);
using MenuItem = PLOVANE_FM_TYPE(MenuItem);
using MenuProvider = PLOVANE_FM_TYPE(MenuProvider);
using MenuProviderIface = PLOVANE_FM_TYPE(MenuProviderIface);
using InfoProvider = PLOVANE_FM_TYPE(InfoProvider);
using InfoProviderIface = PLOVANE_FM_TYPE(InfoProviderIface);
using OperationHandle = PLOVANE_FM_TYPE(OperationHandle);
using OperationResult = PLOVANE_FM_TYPE(OperationResult);
#if defined(PLOVANE_FOR_NEMO)
using FileInfoIface = NemoFileInfoInterface;
inline constexpr OperationResult kOperationComplete = NEMO_OPERATION_COMPLETE;
#else
using FileInfoIface = CajaFileInfoIface;
inline constexpr OperationResult kOperationComplete = CAJA_OPERATION_COMPLETE;
#endif

inline GType fileInfoType() { return PLOVANE_FM_SYMBOL(file_info_get_type)(); }
inline GType menuProviderType() { return PLOVANE_FM_SYMBOL(menu_provider_get_type)(); }
inline GType infoProviderType() { return PLOVANE_FM_SYMBOL(info_provider_get_type)(); }

inline GFile* locationOf(FileInfo* file) { return PLOVANE_FM_SYMBOL(file_info_get_location)(file); }

inline MenuItem* newMenuItem(const char* name, const char* label, const char* tip,
                             const char* icon) {
  return PLOVANE_FM_SYMBOL(menu_item_new)(name, label, tip, icon);
}
inline Menu* newMenu() { return PLOVANE_FM_SYMBOL(menu_new)(); }
inline void appendItem(Menu* menu, MenuItem* item) {
  PLOVANE_FM_SYMBOL(menu_append_item)(menu, item);
}
inline void setSubmenu(MenuItem* item, Menu* menu) {
  PLOVANE_FM_SYMBOL(menu_item_set_submenu)(item, menu);
}
inline GList* itemsOf(Menu* menu) { return PLOVANE_FM_SYMBOL(menu_get_items)(menu); }
inline void activate(MenuItem* item) { PLOVANE_FM_SYMBOL(menu_item_activate)(item); }

inline GList* fileItems(MenuProvider* provider, GList* files) {
  return PLOVANE_FM_SYMBOL(menu_provider_get_file_items)(provider, nullptr, files);
}
inline GList* backgroundItems(MenuProvider* provider, FileInfo* folder) {
  return PLOVANE_FM_SYMBOL(menu_provider_get_background_items)(provider, nullptr, folder);
}
inline void emitItemsUpdated(MenuProvider* provider) {
  PLOVANE_FM_SYMBOL(menu_provider_emit_items_updated_signal)(provider);
}
inline OperationResult updateFileInfo(InfoProvider* provider, FileInfo* file,
                                      GClosure* updateComplete, OperationHandle** handle) {
  return PLOVANE_FM_SYMBOL(info_provider_update_file_info)(provider, file, updateComplete, handle);
}

}  // namespace plovane::bridge::gtk3
