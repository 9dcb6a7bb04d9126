#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/NSImage.h"

namespace platform {

class NSMenu;

// A menu entry as data, so a menu can be printed, compared and sent to another process.
class NSMenuItem {
 public:
  NSMenuItem(std::string itemTitle, std::string itemAction, std::string itemKeyEquivalent)
      : title(std::move(itemTitle)),
        action(std::move(itemAction)),
        keyEquivalent(std::move(itemKeyEquivalent)) {}

  std::string title;
  std::string action;  // selector; empty for an entry that only opens its submenu
  std::string keyEquivalent;
  std::int64_t tag = 0;
  std::optional<NSImage> image;
  std::shared_ptr<NSMenu> submenu;
  bool enabled = true;
};

class NSMenu {
 public:
  explicit NSMenu(std::string menuTitle = {}) : title(std::move(menuTitle)) {}

  void addItem(NSMenuItem item) { items.push_back(std::move(item)); }
  std::size_t numberOfItems() const { return items.size(); }

  std::string title;
  std::vector<NSMenuItem> items;
};

}  // namespace platform
