#pragma once

#include <QByteArray>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/NSMenu.h"

namespace platform::desktop {

// A menu as it crosses the bus: every entry with its title, selector, tag, key equivalent,
// state, image description and submenu, and the folder the images' assets are in.
struct TransportedMenu {
  std::shared_ptr<NSMenu> menu;
  std::filesystem::path resources;
};

QByteArray encodeMenu(const NSMenu& menu, const std::filesystem::path& resources);
// Absent when the text is not a menu this program can read.
std::optional<TransportedMenu> decodeMenu(const QByteArray& text);

}  // namespace platform::desktop
