#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FIFinderSync.h"
#include "platform/NSURL.h"

namespace plovane::host {

inline constexpr char kUsage[] =
    "usage: plovane-finder menu [--kind items|container|sidebar|toolbar] [--json] PATH...\n"
    "       plovane-finder choose [--answer ok:PATH|ok|cancel|button:TITLE]... ITEM PATH...\n"
    "       plovane-finder --window [FOLDER]\n"
    "                      [--screenshot FILE.png [--open-menu-at NAME [--open-submenu TITLE]]]\n"
    "       plovane-finder install | uninstall\n"
    "       plovane-finder log [--lines N]\n"
    "       plovane-finder --help\n"
    "ITEM is an entry's title, or titles through submenus joined by \" > \".\n"
    "NAME is an item of FOLDER whose context menu is open in the screenshot.\n"
    "menu and choose ask the extension over the session bus. Without a session bus they run it\n"
    "inside plovane-finder on simulated services: files are really copied, moved, created and\n"
    "hidden, but launches, opens, reveals, the wallpaper, e-mail, scripts, notifications and the\n"
    "clipboard are only printed, not done, and the extension's waits take no time.\n";

// One use of the stand-in, as its command line asks for it.
struct Request {
  enum class Command { menu, choose, window, install, uninstall, log, help };
  Command command = Command::menu;
  platform::FIMenuKind kind = platform::FIMenuKind::contextualMenuForItems;
  bool json = false;
  std::vector<std::string> answers;  // each checked to be an answer
  std::string item;
  std::vector<platform::NSURL> selection;
  std::optional<std::filesystem::path> folder;  // the window's first folder
  // The window draws itself into this picture and exits, with the context menu of the item
  // named `menuItem` open, and in it the submenu titled `submenu`.
  std::optional<std::filesystem::path> screenshot;
  std::optional<std::string> menuItem;
  std::optional<std::string> submenu;
  std::size_t logLines = 50;  // how many of the log's last lines `log` prints
};

// Absent when the arguments are not a request (the usage says what is).
std::optional<Request> parseRequest(const std::vector<std::string>& arguments);

}  // namespace plovane::host
