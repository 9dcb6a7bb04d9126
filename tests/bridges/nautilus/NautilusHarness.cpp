// Loads a Nautilus 43 module the way Nautilus does (a GTypeModule around
// g_module_open(LAZY | LOCAL), made resident, nautilus_module_initialize,
// nautilus_module_list_types, one object per listed type) and asks its providers with file
// objects of its own, so the module runs without Nautilus and without a display.

#include <gio/gio.h>

extern "C" {
#include <nautilus-extension.h>
}

#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MenuHarness.h"

namespace {

namespace harness = plovane::bridge::harness;

// ---- File objects, as much of NautilusFileInfo as a module may ask -------------------------

GFile* locationOf(NautilusFileInfo* info) { return harness::locationOf(info); }

gboolean fileIsGone(NautilusFileInfo* info) {
  return g_file_query_exists(locationOf(info), nullptr) ? FALSE : TRUE;
}
char* fileName(NautilusFileInfo* info) { return g_file_get_basename(locationOf(info)); }
char* fileUri(NautilusFileInfo* info) { return g_file_get_uri(locationOf(info)); }
GFile* fileParentLocation(NautilusFileInfo* info) { return g_file_get_parent(locationOf(info)); }
char* fileParentUri(NautilusFileInfo* info) {
  GFile* parent = g_file_get_parent(locationOf(info));
  if (parent == nullptr) return g_strdup("");
  char* uri = g_file_get_uri(parent);
  g_object_unref(parent);
  return uri;
}
char* fileUriScheme(NautilusFileInfo* info) { return g_file_get_uri_scheme(locationOf(info)); }
GFileType fileType(NautilusFileInfo* info) {
  return g_file_query_file_type(locationOf(info), G_FILE_QUERY_INFO_NONE, nullptr);
}
gboolean fileIsDirectory(NautilusFileInfo* info) {
  return fileType(info) == G_FILE_TYPE_DIRECTORY ? TRUE : FALSE;
}
char* fileMimeType(NautilusFileInfo* info) {
  if (fileIsDirectory(info)) return g_strdup("inode/directory");
  char* name = fileName(info);
  char* type = g_content_type_guess(name, nullptr, 0, nullptr);
  g_free(name);
  char* mime = g_content_type_get_mime_type(type);
  g_free(type);
  return mime != nullptr ? mime : g_strdup("application/octet-stream");
}
gboolean fileIsMimeType(NautilusFileInfo* info, const char* mimeType) {
  char* mime = fileMimeType(info);
  const gboolean same = g_content_type_is_mime_type(mime, mimeType);
  g_free(mime);
  return same;
}
void fileAddEmblem(NautilusFileInfo*, const char*) {}
char* fileStringAttribute(NautilusFileInfo*, const char*) { return nullptr; }
void fileAddStringAttribute(NautilusFileInfo*, const char*, const char*) {}
void fileInvalidate(NautilusFileInfo*) {}
GFile* fileLocation(NautilusFileInfo* info) { return G_FILE(g_object_ref(locationOf(info))); }
NautilusFileInfo* fileParentInfo(NautilusFileInfo* info) {
  GFile* parent = g_file_get_parent(locationOf(info));
  if (parent == nullptr) return nullptr;
  return NAUTILUS_FILE_INFO(harness::newFile(G_OBJECT_TYPE(info), parent));
}
GMount* fileMount(NautilusFileInfo*) { return nullptr; }
gboolean fileCanWrite(NautilusFileInfo*) { return TRUE; }

void fileInfoInit(gpointer iface, gpointer) {
  auto* info = static_cast<NautilusFileInfoInterface*>(iface);
  info->is_gone = fileIsGone;
  info->get_name = fileName;
  info->get_uri = fileUri;
  info->get_parent_uri = fileParentUri;
  info->get_uri_scheme = fileUriScheme;
  info->get_mime_type = fileMimeType;
  info->is_mime_type = fileIsMimeType;
  info->is_directory = fileIsDirectory;
  info->add_emblem = fileAddEmblem;
  info->get_string_attribute = fileStringAttribute;
  info->add_string_attribute = fileAddStringAttribute;
  info->invalidate_extension_info = fileInvalidate;
  info->get_activation_uri = fileUri;
  info->get_file_type = fileType;
  info->get_location = fileLocation;
  info->get_parent_location = fileParentLocation;
  info->get_parent_info = fileParentInfo;
  info->get_mount = fileMount;
  info->can_write = fileCanWrite;
}

// ---- Nautilus's side -----------------------------------------------------------------------

class Nautilus final : public harness::FileManager {
 public:
  explicit Nautilus(std::vector<GObject*> objects)
      : FileManager(std::move(objects), harness::fileType("PlovaneHarnessNautilusFile",
                                                          NAUTILUS_TYPE_FILE_INFO, fileInfoInit)) {}

  GType menuProviderType() override { return NAUTILUS_TYPE_MENU_PROVIDER; }

  GList* itemsFrom(GObject* object, bool background, GList* files) override {
    auto* provider = NAUTILUS_MENU_PROVIDER(object);
    return background ? nautilus_menu_provider_get_background_items(provider,
                                                                    NAUTILUS_FILE_INFO(files->data))
                      : nautilus_menu_provider_get_file_items(provider, files);
  }

  GList* itemsOf(GObject* submenu) override {
    return nautilus_menu_get_items(NAUTILUS_MENU(submenu));
  }

  void activate(GObject* item) override { nautilus_menu_item_activate(NAUTILUS_MENU_ITEM(item)); }

  const char* itemsUpdatedSignal() override { return "items-updated"; }

  const char* requiredTooltip() override { return nullptr; }

  bool requestEmblems(const std::vector<std::string>& paths) override {
    return askInfoProviders(
        NAUTILUS_TYPE_INFO_PROVIDER, paths,
        [](GObject* provider, GObject* file, GClosure* done, const std::string& path) {
          NautilusOperationHandle* handle = nullptr;
          if (nautilus_info_provider_update_file_info(NAUTILUS_INFO_PROVIDER(provider),
                                                      NAUTILUS_FILE_INFO(file), done,
                                                      &handle) == NAUTILUS_OPERATION_FAILED) {
            std::cerr << "the info provider failed for " << path << "\n";
          }
          // Nautilus shows the file all the same, with or without what the provider adds.
          return true;
        });
  }
};

std::unique_ptr<harness::FileManager> load(const char* modulePath) {
  return std::make_unique<Nautilus>(
      harness::loadObjects(modulePath, {"nautilus_module_initialize", "nautilus_module_shutdown",
                                        "nautilus_module_list_types", true}));
}

}  // namespace

int main(int argc, char** argv) { return harness::runHarness(argc, argv, load); }
