#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform::desktop {

// Makes the image the GNOME desktop background, for the light and the dark style, through the
// given gsettings program, and reads each value back: a write without a settings service is
// lost silently. Returns why the picture is not set.
std::optional<std::string> setGnomeDesktopPicture(const std::filesystem::path& gsettings,
                                                  const std::filesystem::path& image);

}  // namespace platform::desktop
