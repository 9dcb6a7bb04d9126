#pragma once

#include <QIcon>
#include <filesystem>

#include "platform/NSImage.h"

namespace platform::desktop {

// The pixels of an image description: assets and the application icon from the bundle's
// Resources folder, system images and file icons from the icon theme, a redrawn image from what
// was drawn into it. Null when there is nothing to show.
QIcon iconForImage(const NSImage& image, const std::filesystem::path& resourcesFolder);

// Finds the system's icon folders and falls back to the Adwaita theme for icons the desktop's
// theme lacks, or uses it outright where no desktop set one (offscreen, a bare X server); call
// it once the QGuiApplication exists.
void useBundledIconTheme();

}  // namespace platform::desktop
