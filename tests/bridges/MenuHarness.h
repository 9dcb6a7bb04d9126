#pragma once

// The command line every file manager's harness shares, run against one loaded module:
//
//   HARNESS MODULE.so menu items PATH...          the selection's menu
//   HARNESS MODULE.so menu background FOLDER      the folder's background menu
//   HARNESS MODULE.so choose [--answer TEXT]... "A > B" items PATH...
//                                                 activates that entry (exit 1: not there); the
//                                                 answers for its modals go first, over the bus
//                                                 connection the module sends the entry on
//   HARNESS MODULE.so menu-after-refresh SECONDS items PATH...
//                                                 menu, "--", waits for items-updated (exit 2 and
//                                                 "(no refresh)" after SECONDS), menu again;
//                                                 without such a signal (Thunar) it asks every
//                                                 100 ms until a menu shows where none did
//   HARNESS MODULE.so menu-repeat N items PATH... asks N times, printing each menu
//   HARNESS MODULE.so emblems PATH...             the info provider over each path
//   HARNESS MODULE.so session                     stays, as a file manager does: prints "ready",
//                                                 then answers each request line of its input
//                                                 ("items<tab>PATH…", "background<tab>FOLDER")
//                                                 with the menu and "--"; ends with its input
//
// A menu is printed one entry a line, two spaces of indent per submenu level, the label, then
// " [disabled]" for an insensitive entry; "(no menu)" when the module returned nothing.

#include <gio/gio.h>
#include <gmodule.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plovane::bridge::harness {

// ---- Modules, loaded as the file managers load them ----------------------------------------

// How a file manager loads a module: the names of its entry points, and whether the library
// stays open for good once loaded (Nautilus) instead of while its types are in use.
struct ModuleLoading {
  const char* initialize;
  const char* shutdown;
  const char* listTypes;
  bool resident;
};

// A GTypeModule whose load opens the library with g_module_open(LAZY | LOCAL), looks up the
// entry points and initializes the module with this object; its unload shuts the module down
// and closes the library.
struct Module {
  GTypeModule parent;
  ModuleLoading loading;
  GModule* library;
  void (*initialize)(GTypeModule*);
  void (*shutdown)();
  void (*listTypes)(const GType**, int*);
};

struct ModuleClass {
  GTypeModuleClass parent;
};

// Derivable, for a file manager whose modules are more than a GTypeModule.
GType moduleType();

// The module at `path` as a new object of `type` (moduleType() or one derived from it), loaded
// and in use; null when it cannot be loaded.
Module* useModule(GType type, const char* path, const ModuleLoading& loading);

// An object of each type the module lists.
std::vector<GObject*> objectsOf(Module* module);

// Loaded, an object of each listed type, then held by those objects alone; empty when the module
// cannot be loaded.
std::vector<GObject*> loadObjects(const char* path, const ModuleLoading& loading);

// ---- File objects of the harness's own --------------------------------------------------

// A GObject type around a location, with the file manager's file-info interface `fileInfo` as
// `init` fills it in.
GType fileType(const char* name, GType fileInfo, GInterfaceInitFunc init);

// A new file object of such a type at `location`, which it takes.
GObject* newFile(GType type, GFile* location);

// The location of such a file object, borrowed.
GFile* locationOf(gpointer file);

// ---- The file manager's side ------------------------------------------------------------

// A loaded module as its file manager asks it, in that file manager's own types. Like the file
// managers, it keeps the module's objects (and so the module) until the process ends. Menu items
// of every file manager have the properties "label", "sensitive" and "menu".
class FileManager {
 public:
  // `objects`: an object of each type the module lists; `files`: the type of the file objects,
  // made by fileType().
  FileManager(std::vector<GObject*> objects, GType files);
  virtual ~FileManager() = default;

  // Every menu provider's items for the files, or for the folder `paths[0]` when `background`,
  // concatenated in the order of the providers as the file managers do (a new list with
  // references); null for no menu.
  GList* menu(bool background, const std::vector<std::string>& paths);
  // False for a module that could not be loaded or lists no types: nothing to ask.
  bool hasObjects() const;
  // The objects that implement menuProviderType().
  std::vector<GObject*> menuProviders();

  virtual GType menuProviderType() = 0;
  // One menu provider's items (a new list with references) for the file objects `files`, or for
  // the folder `files->data` when `background`.
  virtual GList* itemsFrom(GObject* provider, bool background, GList* files) = 0;
  // A submenu's items, a new list with references.
  virtual GList* itemsOf(GObject* submenu) = 0;
  virtual void activate(GObject* item) = 0;
  // The signal by which menu providers ask to be asked again; null where the file manager has
  // none.
  virtual const char* itemsUpdatedSignal() = 0;
  // The item property of the tooltip where the file manager refuses an item without one.
  virtual const char* requiredTooltip() = 0;
  // Runs the info providers over each path; false when one did not answer as the file manager
  // needs.
  virtual bool requestEmblems(const std::vector<std::string>& paths) = 0;

 protected:
  // Asks each object that implements `infoProvider` about a file object of each path through
  // `ask`, given a closure for the answer; false when `ask` was false once.
  using AskInfo = std::function<bool(GObject* provider, GObject* file, GClosure* done,
                                     const std::string& path)>;
  bool askInfoProviders(GType infoProvider, const std::vector<std::string>& paths,
                        const AskInfo& ask);

 private:
  GObject* fileFor(const std::string& path) const;
  std::vector<GObject*> implementing(GType iface) const;

  std::vector<GObject*> objects_;  // never released
  GType files_;
};

using Loader = std::unique_ptr<FileManager> (*)(const char* modulePath);

// Runs the command line (argv[1] is the module) with the file manager `load` makes of it; `load`
// gives null, or a file manager without objects, when the module cannot be loaded the way that
// file manager loads it.
int runHarness(int argc, char** argv, Loader load);

}  // namespace plovane::bridge::harness
