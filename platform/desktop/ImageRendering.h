#pragma once

#include <QIcon>
#include <filesystem>

#include "platform/NSImage.h"

namespace platform::desktop {

// The pixels of an image description: assets and the application icon from the bundle's
// Resources folder, system images and file icons from the icon theme, a redrawn image from what
// was drawn into it. Null when there is nothing to show.
QIcon iconForImage(const NSImage& image, const std::filesystem::path& resourcesFolder);

// Uses the Adwaita theme from the system's icon folders when no theme is set, as in an offscreen
// session; call it once the QGuiApplication exists.
void useBundledIconTheme();

}  // namespace platform::desktop
