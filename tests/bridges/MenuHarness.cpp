#include "MenuHarness.h"

#include "HarnessCommandLine.h"

#include <iostream>
#include <utility>

namespace plovane::bridge::harness {

namespace {

// ---- Modules -----------------------------------------------------------------------------

gboolean loadModule(GTypeModule* typeModule) {
  auto* module = reinterpret_cast<Module*>(typeModule);
  module->library = g_module_open(
      typeModule->name, static_cast<GModuleFlags>(G_MODULE_BIND_LAZY | G_MODULE_BIND_LOCAL));
  if (module->library == nullptr) {
    std::cerr << "cannot load " << typeModule->name << ": " << g_module_error() << "\n";
    return FALSE;
  }
  gpointer initialize = nullptr;
  gpointer shutdown = nullptr;
  gpointer listTypes = nullptr;
  const ModuleLoading& loading = module->loading;
  if (!g_module_symbol(module->library, loading.initialize, &initialize) ||
      !g_module_symbol(module->library, loading.shutdown, &shutdown) ||
      !g_module_symbol(module->library, loading.listTypes, &listTypes)) {
    std::cerr << typeModule->name << " lacks an entry point: " << g_module_error() << "\n";
    g_module_close(module->library);
    module->library = nullptr;
    return FALSE;
  }
  module->initialize = reinterpret_cast<void (*)(GTypeModule*)>(initialize);
  module->shutdown = reinterpret_cast<void (*)()>(shutdown);
  module->listTypes = reinterpret_cast<void (*)(const GType**, int*)>(listTypes);
  if (loading.resident) g_module_make_resident(module->library);
  module->initialize(typeModule);
  return TRUE;
}

void unloadModule(GTypeModule* typeModule) {
  auto* module = reinterpret_cast<Module*>(typeModule);
  module->shutdown();
  g_module_close(module->library);
  module->library = nullptr;
}

void initModuleClass(gpointer klass, gpointer) {
  auto* typeModule = G_TYPE_MODULE_CLASS(klass);
  typeModule->load = loadModule;
  typeModule->unload = unloadModule;
}

// ---- File objects ------------------------------------------------------------------------

struct File {
  GObject parent;
  GFile* location;
};

void finalizeFile(GObject* object) {
  g_object_unref(reinterpret_cast<File*>(object)->location);
  G_OBJECT_CLASS(g_type_class_peek(G_TYPE_OBJECT))->finalize(object);
}

void initFileClass(gpointer klass, gpointer) { G_OBJECT_CLASS(klass)->finalize = finalizeFile; }

// The location of a path given on the command line: bytes, not necessarily UTF-8; a URI names a
// file that is not local.
GFile* locationFor(const std::string& path) { return g_file_new_for_commandline_arg(path.c_str()); }

constexpr guint kSettleMilliseconds = 300;
constexpr guint kPollMilliseconds = 100;

// ---- Menus -------------------------------------------------------------------------------

struct ItemFacts {
  std::string label;
  bool sensitive = true;
  bool hasTooltip = true;
  GList* children = nullptr;  // owned
};

ItemFacts factsOf(FileManager& manager, GObject* item) {
  char* label = nullptr;
  gboolean sensitive = TRUE;
  GObject* submenu = nullptr;
  g_object_get(item, "label", &label, "sensitive", &sensitive, "menu", &submenu, nullptr);
  ItemFacts facts;
  facts.label = label != nullptr ? label : "";
  facts.sensitive = sensitive != FALSE;
  if (const char* property = manager.requiredTooltip()) {
    char* tooltip = nullptr;
    g_object_get(item, property, &tooltip, nullptr);
    facts.hasTooltip = tooltip != nullptr;
    g_free(tooltip);
  }
  if (submenu != nullptr) {
    facts.children = manager.itemsOf(submenu);
    g_object_unref(submenu);
  }
  g_free(label);
  return facts;
}

void freeItems(GList* items) { g_list_free_full(items, g_object_unref); }

// False when an item breaks a rule of the file manager's.
bool printItems(FileManager& manager, GList* items, int depth) {
  bool valid = true;
  for (GList* link = items; link != nullptr; link = link->next) {
    ItemFacts facts = factsOf(manager, G_OBJECT(link->data));
    std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << facts.label
              << (facts.sensitive ? "" : " [disabled]") << "\n";
    if (!facts.hasTooltip) {
      std::cerr << "\"" << facts.label << "\" has no tooltip, which the file manager refuses\n";
      valid = false;
    }
    valid = printItems(manager, facts.children, depth + 1) && valid;
    freeItems(facts.children);
  }
  return valid;
}

// Prints the menu; false when an item breaks a rule, true too for no menu.
bool printMenu(FileManager& manager, GList* items) {
  bool valid = true;
  if (items == nullptr) {
    std::cout << kNoMenu << "\n";
  } else {
    valid = printItems(manager, items, 0);
  }
  std::cout.flush();
  return valid;
}

bool printMenuOf(FileManager& manager, const Request& request) {
  GList* items = manager.menu(request.background, request.paths);
  const bool valid = printMenu(manager, items);
  freeItems(items);
  return valid;
}

// The item at those labels, with a reference of its own; null when there is none.
GObject* findItem(FileManager& manager, GList* items, const std::vector<std::string>& titles,
                  std::size_t level) {
  for (GList* link = items; link != nullptr; link = link->next) {
    auto* item = G_OBJECT(link->data);
    ItemFacts facts = factsOf(manager, item);
    GObject* found = nullptr;
    if (facts.label == titles[level]) {
      found = level + 1 == titles.size() ? G_OBJECT(g_object_ref(item))
                                         : findItem(manager, facts.children, titles, level + 1);
    }
    freeItems(facts.children);
    if (found != nullptr) return found;
  }
  return nullptr;
}

// ---- The main loop -----------------------------------------------------------------------

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

guint millisecondsOf(double seconds) { return static_cast<guint>(seconds * 1000); }

// ---- The commands ------------------------------------------------------------------------

int menuExit(bool valid) { return valid ? 0 : kModuleExit; }

int chooseWith(GDBusConnection* bus, FileManager& manager, const std::string& path,
               const Request& request) {
  if (!request.answers.empty() && !sendAnswers(bus, request.answers)) return kModuleExit;
  GList* items = manager.menu(request.background, request.paths);
  GObject* item = findItem(manager, items, splitTitles(path), 0);
  freeItems(items);
  if (item == nullptr) {
    std::cerr << "no entry \"" << path << "\" in the menu\n";
    return 1;
  }
  manager.activate(item);
  g_object_unref(item);
  runUntilIdle();
  flushSessionBus();
  return 0;
}

int choose(FileManager& manager, const std::string& path, const Request& request) {
  // Held until the entry has gone: the shared connection lives only while someone holds it.
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  const int exit = chooseWith(bus, manager, path, request);
  if (bus != nullptr) g_object_unref(bus);
  return exit;
}

struct Refresh {
  GMainLoop* loop = nullptr;
  bool updated = false;
};

void itemsUpdated(GObject*, gpointer data) {
  auto* refresh = static_cast<Refresh*>(data);
  refresh->updated = true;
  g_main_loop_quit(refresh->loop);
}

int waitForSignal(FileManager& manager, const char* signal, double seconds,
                  const Request& request) {
  Refresh refresh;
  refresh.loop = g_main_loop_new(nullptr, FALSE);
  for (GObject* provider : manager.menuProviders()) {
    g_signal_connect(provider, signal, G_CALLBACK(itemsUpdated), &refresh);
  }
  if (!printMenuOf(manager, request)) return kModuleExit;
  std::cout << "--\n" << std::flush;
  const guint timeout = g_timeout_add(millisecondsOf(seconds), quitLoop, refresh.loop);
  g_main_loop_run(refresh.loop);
  if (!refresh.updated) {
    std::cout << "(no refresh)\n" << std::flush;
    return 2;
  }
  g_source_remove(timeout);
  return menuExit(printMenuOf(manager, request));
}

// Without a signal, asks again every 100 ms as the file manager's next popup would, until a menu
// shows where there was none (an extension started in the background now answers).
int pollForMenu(FileManager& manager, double seconds, const Request& request) {
  GList* first = manager.menu(request.background, request.paths);
  const bool wasShown = first != nullptr;
  const bool valid = printMenu(manager, first);
  freeItems(first);
  if (!valid) return kModuleExit;
  std::cout << "--\n" << std::flush;
  std::cerr << "(no refresh signal)\n";
  const gint64 end = g_get_monotonic_time() + static_cast<gint64>(seconds * G_USEC_PER_SEC);
  while (!wasShown && g_get_monotonic_time() < end) {
    runFor(kPollMilliseconds);
    GList* items = manager.menu(request.background, request.paths);
    if (items != nullptr) {
      const bool printed = printMenu(manager, items);
      freeItems(items);
      return menuExit(printed);
    }
  }
  std::cout << "(no refresh)\n" << std::flush;
  return 2;
}

int menuAfterRefresh(FileManager& manager, double seconds, const Request& request) {
  const char* signal = manager.itemsUpdatedSignal();
  return signal != nullptr ? waitForSignal(manager, signal, seconds, request)
                           : pollForMenu(manager, seconds, request);
}

// One request a line ("items<tab>PATH<tab>..." or "background<tab>FOLDER"), each answered with
// its menu and "--"; the main loop runs in between, as in a file manager that stays open.
struct Session {
  FileManager& manager;
  GMainLoop* loop;
};

gboolean answerLine(GIOChannel* input, GIOCondition, gpointer data) {
  auto& session = *static_cast<Session*>(data);
  gchar* line = nullptr;
  gsize length = 0;
  if (g_io_channel_read_line(input, &line, &length, nullptr, nullptr) != G_IO_STATUS_NORMAL) {
    g_main_loop_quit(session.loop);
    return G_SOURCE_REMOVE;
  }
  std::vector<std::string> words;
  std::string text(line, length);
  g_free(line);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (std::string::size_type start = 0;;) {
    const auto tab = text.find('\t', start);
    words.push_back(text.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  Request request;
  if (words.size() >= 2 && (words[0] == "items" || words[0] == "background")) {
    request.background = words[0] == "background";
    request.paths.assign(words.begin() + 1, words.end());
    printMenuOf(session.manager, request);
  } else {
    std::cout << "(not a request)\n";
  }
  std::cout << "--\n" << std::flush;
  return G_SOURCE_CONTINUE;
}

int session(FileManager& manager) {
  Session session{manager, g_main_loop_new(nullptr, FALSE)};
  GIOChannel* input = g_io_channel_unix_new(0);
  g_io_add_watch(input, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), answerLine, &session);
  std::cout << "ready\n" << std::flush;
  g_main_loop_run(session.loop);
  g_io_channel_unref(input);
  g_main_loop_unref(session.loop);
  return 0;
}

int emblems(FileManager& manager, const std::vector<std::string>& paths) {
  const bool done = manager.requestEmblems(paths);
  runUntilIdle();
  flushSessionBus();
  return done ? 0 : kModuleExit;
}

}  // namespace

GType moduleType() {
  static const GType type = [] {
    return g_type_register_static_simple(G_TYPE_TYPE_MODULE, "PlovaneHarnessModule",
                                         sizeof(ModuleClass), initModuleClass, sizeof(Module),
                                         nullptr, {});
  }();
  return type;
}

Module* useModule(GType type, const char* path, const ModuleLoading& loading) {
  auto* module = static_cast<Module*>(g_object_new(type, nullptr));
  module->loading = loading;
  g_type_module_set_name(G_TYPE_MODULE(module), path);
  return g_type_module_use(G_TYPE_MODULE(module)) ? module : nullptr;
}

std::vector<GObject*> objectsOf(Module* module) {
  const GType* types = nullptr;
  int count = 0;
  module->listTypes(&types, &count);
  std::vector<GObject*> objects;
  // A zero ends the list early, as the file managers guard against a broken module.
  for (int index = 0; index < count && types[index] != 0; ++index) {
    objects.push_back(G_OBJECT(g_object_new(types[index], nullptr)));
  }
  return objects;
}

std::vector<GObject*> loadObjects(const char* path, const ModuleLoading& loading) {
  Module* module = useModule(moduleType(), path, loading);
  if (module == nullptr) return {};
  std::vector<GObject*> objects = objectsOf(module);
  // The objects hold the module from here on.
  g_type_module_unuse(G_TYPE_MODULE(module));
  return objects;
}

GType fileType(const char* name, GType fileInfo, GInterfaceInitFunc init) {
  const GType type = g_type_register_static_simple(G_TYPE_OBJECT, name, sizeof(GObjectClass),
                                                   initFileClass, sizeof(File), nullptr, {});
  const GInterfaceInfo implementation{init, nullptr, nullptr};
  g_type_add_interface_static(type, fileInfo, &implementation);
  return type;
}

GObject* newFile(GType type, GFile* location) {
  auto* file = static_cast<File*>(g_object_new(type, nullptr));
  file->location = location;
  return G_OBJECT(file);
}

GFile* locationOf(gpointer file) { return static_cast<File*>(file)->location; }

FileManager::FileManager(std::vector<GObject*> objects, GType files)
    : objects_(std::move(objects)), files_(files) {}

GList* FileManager::menu(bool background, const std::vector<std::string>& paths) {
  GList* files = nullptr;
  for (const auto& path : paths) files = g_list_append(files, fileFor(path));
  GList* items = nullptr;
  for (GObject* provider : menuProviders()) {
    items = g_list_concat(items, itemsFrom(provider, background, files));
  }
  g_list_free_full(files, g_object_unref);
  return items;
}

bool FileManager::hasObjects() const { return !objects_.empty(); }

std::vector<GObject*> FileManager::menuProviders() { return implementing(menuProviderType()); }

bool FileManager::askInfoProviders(GType infoProvider, const std::vector<std::string>& paths,
                                   const AskInfo& ask) {
  bool answered = true;
  for (const auto& path : paths) {
    GObject* file = fileFor(path);
    for (GObject* provider : implementing(infoProvider)) {
      GClosure* done = g_cclosure_new(G_CALLBACK(+[] {}), nullptr, nullptr);
      g_closure_ref(done);
      g_closure_sink(done);
      answered = ask(provider, file, done, path) && answered;
      g_closure_unref(done);
    }
    g_object_unref(file);
  }
  return answered;
}

GObject* FileManager::fileFor(const std::string& path) const {
  return newFile(files_, locationFor(path));
}

std::vector<GObject*> FileManager::implementing(GType iface) const {
  std::vector<GObject*> found;
  for (GObject* object : objects_) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(object, iface)) found.push_back(object);
  }
  return found;
}

int runHarness(int argc, char** argv, Loader load) {
  const auto line = parseCommandLine(argc, argv);
  if (!line) return kUsageExit;
  const std::unique_ptr<FileManager> manager = load(argv[1]);
  if (manager == nullptr || !manager->hasObjects()) {
    std::cerr << "the module " << argv[1] << " could not be loaded as its file manager does\n";
    return kModuleExit;
  }
  switch (line->command) {
    case Command::menu:
      return menuExit(printMenuOf(*manager, line->request));
    case Command::choose:
      return choose(*manager, line->entry, line->request);
    case Command::menuAfterRefresh:
      return menuAfterRefresh(*manager, line->number, line->request);
    case Command::session:
      return session(*manager);
    case Command::menuRepeat: {
      bool valid = true;
      for (int time = 0; time < static_cast<int>(line->number); ++time) {
        valid = printMenuOf(*manager, line->request) && valid;
      }
      return menuExit(valid);
    }
    case Command::emblems:
      break;
  }
  return emblems(*manager, line->request.paths);
}

}  // namespace plovane::bridge::harness
