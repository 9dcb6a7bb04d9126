// Loads a Nautilus 43 module the way Nautilus does (a GTypeModule around
// g_module_open(LAZY | LOCAL), nautilus_module_initialize, nautilus_module_list_types, one object
// per listed type) and asks its providers with file objects of its own, so the module runs
// without Nautilus and without a display. The command line is shared by every file manager's
// harness:
//
//   HARNESS MODULE.so menu items PATH...          the selection's menu
//   HARNESS MODULE.so menu background FOLDER      the folder's background menu
//   HARNESS MODULE.so choose "A > B" items PATH... activates that entry (exit 1: not there)
//   HARNESS MODULE.so menu-after-refresh SECONDS items PATH...
//                                                 menu, "--", waits for items-updated (exit 2 and
//                                                 "(no refresh)" after SECONDS), menu again
//   HARNESS MODULE.so menu-repeat N items PATH... asks N times, printing each menu
//   HARNESS MODULE.so emblems PATH...             the info provider over each path
//
// A menu is printed one entry a line, two spaces of indent per submenu level, the label, then
// " [disabled]" for an insensitive entry; "(no menu)" when the module returned nothing.
#include <gio/gio.h>
#include <glib-object.h>
#include <gmodule.h>

extern "C" {
#include <nautilus-extension.h>
}

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kUsageExit = 64;
constexpr int kModuleExit = 70;
constexpr guint kSettleMilliseconds = 300;

// ---- The module, loaded as Nautilus loads it ------------------------------------------------

struct HarnessModule {
  GTypeModule parent;
  char* path;
  GModule* library;
  void (*initialize)(GTypeModule*);
  void (*shutdown)();
  void (*listTypes)(const GType**, int*);
};

struct HarnessModuleClass {
  GTypeModuleClass parent;
};

gboolean moduleLoad(GTypeModule* gmodule) {
  auto* module = reinterpret_cast<HarnessModule*>(gmodule);
  module->library = g_module_open(module->path, static_cast<GModuleFlags>(G_MODULE_BIND_LAZY |
                                                                          G_MODULE_BIND_LOCAL));
  if (module->library == nullptr) {
    std::cerr << "cannot load " << module->path << ": " << g_module_error() << "\n";
    return FALSE;
  }
  gpointer initialize = nullptr, shutdown = nullptr, listTypes = nullptr;
  if (!g_module_symbol(module->library, "nautilus_module_initialize", &initialize) ||
      !g_module_symbol(module->library, "nautilus_module_shutdown", &shutdown) ||
      !g_module_symbol(module->library, "nautilus_module_list_types", &listTypes)) {
    std::cerr << module->path << " is no Nautilus module: " << g_module_error() << "\n";
    g_module_close(module->library);
    module->library = nullptr;
    return FALSE;
  }
  module->initialize = reinterpret_cast<void (*)(GTypeModule*)>(initialize);
  module->shutdown = reinterpret_cast<void (*)()>(shutdown);
  module->listTypes = reinterpret_cast<void (*)(const GType**, int*)>(listTypes);
  // Nautilus never unloads a module once loaded.
  g_module_make_resident(module->library);
  module->initialize(gmodule);
  return TRUE;
}

void moduleUnload(GTypeModule* gmodule) {
  auto* module = reinterpret_cast<HarnessModule*>(gmodule);
  module->shutdown();
  g_module_close(module->library);
  module->library = nullptr;
}

void moduleClassInit(gpointer klass, gpointer) {
  auto* typeModule = G_TYPE_MODULE_CLASS(klass);
  typeModule->load = moduleLoad;
  typeModule->unload = moduleUnload;
}

GType harnessModuleType() {
  static GType type = 0;
  if (type == 0) {
    static const GTypeInfo info = {sizeof(HarnessModuleClass),
                                   nullptr,
                                   nullptr,
                                   moduleClassInit,
                                   nullptr,
                                   nullptr,
                                   sizeof(HarnessModule),
                                   0,
                                   nullptr,
                                   nullptr};
    type = g_type_register_static(G_TYPE_TYPE_MODULE, "PlovaneHarnessNautilusModule", &info,
                                  static_cast<GTypeFlags>(0));
  }
  return type;
}

// The objects of every type the module lists, as Nautilus keeps them; empty when it fails.
std::vector<GObject*> loadProviders(const char* path) {
  auto* module = static_cast<HarnessModule*>(g_object_new(harnessModuleType(), nullptr));
  module->path = g_strdup(path);
  g_type_module_set_name(G_TYPE_MODULE(module), path);
  std::vector<GObject*> providers;
  if (!g_type_module_use(G_TYPE_MODULE(module))) return providers;
  const GType* types = nullptr;
  int count = 0;
  module->listTypes(&types, &count);
  for (int index = 0; index < count && types[index] != 0; ++index) {
    providers.push_back(G_OBJECT(g_object_new(types[index], nullptr)));
  }
  g_type_module_unuse(G_TYPE_MODULE(module));
  return providers;
}

// ---- File objects, as much of NautilusFileInfo as a module may ask -------------------------

struct HarnessFile {
  GObject parent;
  GFile* location;
};

struct HarnessFileClass {
  GObjectClass parent;
};

GType harnessFileType();

GFile* locationOf(NautilusFileInfo* info) {
  return reinterpret_cast<HarnessFile*>(info)->location;
}

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
GFile* fileLocation(NautilusFileInfo* info) {
  return G_FILE(g_object_ref(locationOf(info)));
}
NautilusFileInfo* fileParentInfo(NautilusFileInfo* info) {
  GFile* parent = g_file_get_parent(locationOf(info));
  if (parent == nullptr) return nullptr;
  auto* file = static_cast<HarnessFile*>(g_object_new(harnessFileType(), nullptr));
  file->location = parent;
  return reinterpret_cast<NautilusFileInfo*>(file);
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

GObjectClass* fileParentClass = nullptr;

void fileFinalize(GObject* object) {
  auto* file = reinterpret_cast<HarnessFile*>(object);
  if (file->location != nullptr) g_object_unref(file->location);
  fileParentClass->finalize(object);
}

void fileClassInit(gpointer klass, gpointer) {
  fileParentClass = G_OBJECT_CLASS(g_type_class_peek_parent(klass));
  G_OBJECT_CLASS(klass)->finalize = fileFinalize;
}

GType harnessFileType() {
  static GType type = 0;
  if (type == 0) {
    static const GTypeInfo info = {sizeof(HarnessFileClass),
                                   nullptr,
                                   nullptr,
                                   fileClassInit,
                                   nullptr,
                                   nullptr,
                                   sizeof(HarnessFile),
                                   0,
                                   nullptr,
                                   nullptr};
    type = g_type_register_static(G_TYPE_OBJECT, "PlovaneHarnessNautilusFile", &info,
                                  static_cast<GTypeFlags>(0));
    static const GInterfaceInfo fileInfo = {fileInfoInit, nullptr, nullptr};
    g_type_add_interface_static(type, NAUTILUS_TYPE_FILE_INFO, &fileInfo);
  }
  return type;
}

// A file object for a path given on the command line: bytes, not necessarily UTF-8.
NautilusFileInfo* fileFor(const char* path) {
  auto* file = static_cast<HarnessFile*>(g_object_new(harnessFileType(), nullptr));
  file->location = g_file_new_for_path(path);
  return reinterpret_cast<NautilusFileInfo*>(file);
}

// ---- Asking for menus ------------------------------------------------------------------------

struct Request {
  bool background = false;
  std::vector<std::string> paths;
};

// Every menu provider's items, in the order of the providers, as Nautilus concatenates them.
GList* menuOf(const std::vector<GObject*>& providers, const Request& request) {
  GList* files = nullptr;
  for (const auto& path : request.paths) files = g_list_append(files, fileFor(path.c_str()));
  GList* items = nullptr;
  for (GObject* provider : providers) {
    if (!NAUTILUS_IS_MENU_PROVIDER(provider)) continue;
    GList* own =
        request.background
            ? nautilus_menu_provider_get_background_items(
                  NAUTILUS_MENU_PROVIDER(provider), static_cast<NautilusFileInfo*>(files->data))
            : nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files);
    items = g_list_concat(items, own);
  }
  g_list_free_full(files, g_object_unref);
  return items;
}

void freeItems(GList* items) {
  if (items != nullptr) nautilus_menu_item_list_free(items);
}

struct ItemFacts {
  std::string label;
  bool sensitive = true;
  GList* children = nullptr;  // owned
};

ItemFacts factsOf(NautilusMenuItem* item) {
  char* label = nullptr;
  gboolean sensitive = TRUE;
  NautilusMenu* submenu = nullptr;
  g_object_get(item, "label", &label, "sensitive", &sensitive, "menu", &submenu, nullptr);
  ItemFacts facts;
  facts.label = label != nullptr ? label : "";
  facts.sensitive = sensitive != FALSE;
  if (submenu != nullptr) {
    facts.children = nautilus_menu_get_items(submenu);
    g_object_unref(submenu);
  }
  g_free(label);
  return facts;
}

void printItems(GList* items, int depth) {
  for (GList* entry = items; entry != nullptr; entry = entry->next) {
    ItemFacts facts = factsOf(NAUTILUS_MENU_ITEM(entry->data));
    std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << facts.label
              << (facts.sensitive ? "" : " [disabled]") << "\n";
    printItems(facts.children, depth + 1);
    freeItems(facts.children);
  }
}

void printMenu(GList* items) {
  if (items == nullptr) {
    std::cout << "(no menu)\n";
  } else {
    printItems(items, 0);
  }
  std::cout.flush();
}

void printMenuOf(const std::vector<GObject*>& providers, const Request& request) {
  GList* items = menuOf(providers, request);
  printMenu(items);
  freeItems(items);
}

std::vector<std::string> splitTitles(const std::string& path) {
  std::vector<std::string> titles;
  std::string::size_type start = 0;
  for (auto at = path.find(" > "); at != std::string::npos; at = path.find(" > ", start)) {
    titles.push_back(path.substr(start, at - start));
    start = at + 3;
  }
  titles.push_back(path.substr(start));
  return titles;
}

// The item at those labels, with a reference of its own; null when there is none.
NautilusMenuItem* findItem(GList* items, const std::vector<std::string>& titles,
                           std::size_t level) {
  for (GList* entry = items; entry != nullptr; entry = entry->next) {
    auto* item = NAUTILUS_MENU_ITEM(entry->data);
    ItemFacts facts = factsOf(item);
    NautilusMenuItem* found = nullptr;
    if (facts.label == titles[level]) {
      found = level + 1 == titles.size()
                  ? NAUTILUS_MENU_ITEM(g_object_ref(item))
                  : findItem(facts.children, titles, level + 1);
    }
    freeItems(facts.children);
    if (found != nullptr) return found;
  }
  return nullptr;
}

// ---- The main loop ---------------------------------------------------------------------------

gboolean quitLoop(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_REMOVE;
}

void runFor(guint milliseconds) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(milliseconds, quitLoop, loop);
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
}

// Runs what is due, then a little longer for what the module scheduled from it.
void runUntilIdle() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  runFor(kSettleMilliseconds);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

// Whatever the module sent is on its way before the harness exits.
void flushSessionBus() {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return;
  g_dbus_connection_flush_sync(bus, nullptr, nullptr);
  g_object_unref(bus);
}

struct Refresh {
  GMainLoop* loop = nullptr;
  bool updated = false;
};

void itemsUpdated(NautilusMenuProvider*, gpointer data) {
  auto* refresh = static_cast<Refresh*>(data);
  refresh->updated = true;
  g_main_loop_quit(refresh->loop);
}

// ---- The commands ----------------------------------------------------------------------------

int usage() {
  std::cerr << "usage: HARNESS MODULE.so menu items PATH...\n"
               "       HARNESS MODULE.so menu background FOLDER\n"
               "       HARNESS MODULE.so choose \"Title > Sub\" items PATH...\n"
               "       HARNESS MODULE.so menu-after-refresh SECONDS items PATH...\n"
               "       HARNESS MODULE.so menu-repeat N items PATH...\n"
               "       HARNESS MODULE.so emblems PATH...\n";
  return kUsageExit;
}

// "items PATH..." or "background FOLDER" from argument `at` on.
bool parseRequest(int argc, char** argv, int at, Request& request) {
  if (at >= argc) return false;
  const std::string_view kind = argv[at];
  if (kind != "items" && kind != "background") return false;
  request.background = kind == "background";
  for (int index = at + 1; index < argc; ++index) request.paths.emplace_back(argv[index]);
  return request.background ? request.paths.size() == 1 : !request.paths.empty();
}

bool parseNumber(const char* text, double& number) {
  char* end = nullptr;
  number = std::strtod(text, &end);
  return end != text && *end == '\0' && number >= 0;
}

int choose(const std::vector<GObject*>& providers, const std::string& path,
           const Request& request) {
  GList* items = menuOf(providers, request);
  NautilusMenuItem* item = findItem(items, splitTitles(path), 0);
  freeItems(items);
  if (item == nullptr) {
    std::cerr << "no entry \"" << path << "\" in the menu\n";
    return 1;
  }
  nautilus_menu_item_activate(item);
  g_object_unref(item);
  runUntilIdle();
  flushSessionBus();
  return 0;
}

int menuAfterRefresh(const std::vector<GObject*>& providers, double seconds,
                     const Request& request) {
  Refresh refresh;
  refresh.loop = g_main_loop_new(nullptr, FALSE);
  for (GObject* provider : providers) {
    if (NAUTILUS_IS_MENU_PROVIDER(provider)) {
      g_signal_connect(provider, "items-updated", G_CALLBACK(itemsUpdated), &refresh);
    }
  }
  printMenuOf(providers, request);
  std::cout << "--\n" << std::flush;
  const guint timeout =
      g_timeout_add(static_cast<guint>(seconds * 1000), quitLoop, refresh.loop);
  g_main_loop_run(refresh.loop);
  if (!refresh.updated) {
    std::cout << "(no refresh)\n" << std::flush;
    return 2;
  }
  g_source_remove(timeout);
  printMenuOf(providers, request);
  return 0;
}

int emblems(const std::vector<GObject*>& providers, int argc, char** argv, int at) {
  if (at >= argc) return usage();
  for (int index = at; index < argc; ++index) {
    NautilusFileInfo* file = fileFor(argv[index]);
    for (GObject* provider : providers) {
      if (!NAUTILUS_IS_INFO_PROVIDER(provider)) continue;
      NautilusOperationHandle* handle = nullptr;
      GClosure* done = g_cclosure_new(G_CALLBACK(+[] {}), nullptr, nullptr);
      g_closure_ref(done);
      g_closure_sink(done);
      const auto result = nautilus_info_provider_update_file_info(
          NAUTILUS_INFO_PROVIDER(provider), file, done, &handle);
      g_closure_unref(done);
      if (result == NAUTILUS_OPERATION_FAILED) {
        std::cerr << "the info provider failed for " << argv[index] << "\n";
      }
    }
    g_object_unref(file);
  }
  runUntilIdle();
  flushSessionBus();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string_view command = argv[2];
  Request request;
  double number = 0;
  if (command == "menu") {
    if (!parseRequest(argc, argv, 3, request)) return usage();
  } else if (command == "choose") {
    if (argc < 4 || !parseRequest(argc, argv, 4, request)) return usage();
  } else if (command == "menu-after-refresh" || command == "menu-repeat") {
    if (argc < 4 || !parseNumber(argv[3], number) || !parseRequest(argc, argv, 4, request))
      return usage();
  } else if (command != "emblems") {
    return usage();
  }

  const std::vector<GObject*> providers = loadProviders(argv[1]);
  if (providers.empty()) {
    std::cerr << "the module " << argv[1] << " could not be loaded or listed no types\n";
    return kModuleExit;
  }

  int exitCode = 0;
  if (command == "menu") {
    printMenuOf(providers, request);
  } else if (command == "choose") {
    exitCode = choose(providers, argv[3], request);
  } else if (command == "menu-after-refresh") {
    exitCode = menuAfterRefresh(providers, number, request);
  } else if (command == "menu-repeat") {
    for (int time = 0; time < static_cast<int>(number); ++time) printMenuOf(providers, request);
  } else {
    exitCode = emblems(providers, argc, argv, 3);
  }
  for (GObject* provider : providers) g_object_unref(provider);
  return exitCode;
}
