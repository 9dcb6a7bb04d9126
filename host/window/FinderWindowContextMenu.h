#pragma once

#include <QMenu>
#include <filesystem>
#include <functional>

#include "platform/NSMenu.h"

namespace plovane::host {

using EntryChosen = std::function<void(const platform::NSMenuItem&)>;

// Appends the extension's entries to a context menu: titles, images (the assets are in
// `resources`), submenus and enabled states as the extension sent them, and a separator for an
// entry without a title. Choosing an entry hands back the entry it was made from.
// The title as a menu shows it: a menu reads "&" as the mark of a keyboard shortcut, and a file
// name may hold one.
QString menuTitle(const std::string& title);

void addExtensionEntries(QMenu& menu, const platform::NSMenu& entries,
                         const std::filesystem::path& resources, const EntryChosen& chosen);

}  // namespace plovane::host
