#pragma once

// The command line every file manager's harness shares, run against one loaded module:
//
//   HARNESS MODULE.so menu items PATH...          the selection's menu
//   HARNESS MODULE.so menu background FOLDER      the folder's background menu
//   HARNESS MODULE.so choose "A > B" items PATH... activates that entry (exit 1: not there)
//   HARNESS MODULE.so menu-after-refresh SECONDS items PATH...
//                                                 menu, "--", waits for items-updated (exit 2 and
//                                                 "(no refresh)" after SECONDS), menu again;
//                                                 without such a signal (Thunar) it asks every
//                                                 100 ms until a menu shows where none did
//   HARNESS MODULE.so menu-repeat N items PATH... asks N times, printing each menu
//   HARNESS MODULE.so emblems PATH...             the info provider over each path
//
// A menu is printed one entry a line, two spaces of indent per submenu level, the label, then
// " [disabled]" for an insensitive entry; "(no menu)" when the module returned nothing.

#include <gio/gio.h>

#include <memory>
#include <string>
#include <vector>

namespace plovane::bridge::harness {

// The file manager's side of a loaded module, in that file manager's own types. Like the file
// managers, it keeps the module's providers (and so the module) until the process ends. Menu
// items of every GTK 3 file manager have the properties "label", "sensitive" and "menu".
class FileManager {
 public:
  virtual ~FileManager() = default;

  // The menu providers' items (a new list with references) for the files, or for the folder
  // `paths[0]` when `background`; null for no menu.
  virtual GList* menu(bool background, const std::vector<std::string>& paths) = 0;
  // A submenu's items, a new list with references.
  virtual GList* itemsOf(GObject* submenu) = 0;
  virtual void activate(GObject* item) = 0;
  // The menu providers and the signal by which they ask to be asked again; no signal where the
  // file manager has none.
  virtual std::vector<GObject*> menuProviders() = 0;
  virtual const char* itemsUpdatedSignal() = 0;
  // The item property of the tooltip where the file manager refuses an item without one.
  virtual const char* requiredTooltip() = 0;
  // Runs the info providers over each path; false when one failed.
  virtual bool requestEmblems(const std::vector<std::string>& paths) = 0;
};

using Loader = std::unique_ptr<FileManager> (*)(const char* modulePath);

// Runs the command line (argv[1] is the module) with the file manager `load` makes of it; `load`
// gives null when the module cannot be loaded the way that file manager loads it.
int runHarness(int argc, char** argv, Loader load);

// The location of a path given on the command line: bytes, not necessarily UTF-8; a URI names a
// file that is not local.
GFile* locationFor(const std::string& path);

}  // namespace plovane::bridge::harness
