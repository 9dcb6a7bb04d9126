#pragma once

#include <QFileDialog>
#include <memory>

#include "platform/NSPanels.h"

namespace platform::desktop {

// Qt's own (not the native) file dialogs set up as a panel asks: what may be chosen, the start
// folder, message above the view, prompt on the accept button, and which items are hidden.
// Each is a dialog titled with what it is for (the panel's title, else its prompt, else its
// message) and `program`, large enough to show names with their details. After an accepted
// exec(), selectedFiles() holds what the user chose.
std::unique_ptr<QFileDialog> makeOpenDialog(const NSOpenPanel& panel, const QString& program);
std::unique_ptr<QFileDialog> makeSaveDialog(const NSSavePanel& panel, const QString& program);

}  // namespace platform::desktop
