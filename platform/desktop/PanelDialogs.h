#pragma once

#include <QFileDialog>
#include <memory>

#include "platform/NSPanels.h"

namespace platform::desktop {

// Qt's own (not the native) file dialogs set up as a panel asks: what may be chosen, the start
// folder, title, message above the view, prompt on the accept button, and which items are
// hidden. After an accepted exec(), selectedFiles() holds what the user chose.
std::unique_ptr<QFileDialog> makeOpenDialog(const NSOpenPanel& panel);
std::unique_ptr<QFileDialog> makeSaveDialog(const NSSavePanel& panel);

}  // namespace platform::desktop
