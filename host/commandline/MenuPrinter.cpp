#include "host/commandline/MenuPrinter.h"

#include <sstream>
#include <string_view>

#include "protocol/JsonWriter.h"

namespace plovane::host {

using platform::NSImage;
using platform::NSMenu;
using platform::NSMenuItem;

namespace {

// The names this output documents for people and tools: a canvas is "drawn", not the bus's name.
const char* kindName(NSImage::Kind kind) {
  switch (kind) {
    case NSImage::Kind::asset:
      return "asset";
    case NSImage::Kind::system:
      return "system";
    case NSImage::Kind::fileIcon:
      return "fileIcon";
    case NSImage::Kind::applicationIcon:
      return "applicationIcon";
    case NSImage::Kind::canvas:
      return "drawn";
  }
  return "unknown";
}

// What a person needs to recognise an image: where its pixels come from and its size.
std::string describe(const NSImage& image) {
  std::ostringstream text;
  if (image.drawing() && image.drawing()->source) {
    text << describe(*image.drawing()->source) << " drawn at ";
  } else {
    text << kindName(image.kind()) << ":" << image.name() << " at ";
  }
  text << image.size().width << "x" << image.size().height;
  return text.str();
}

void appendTree(std::ostringstream& out, const NSMenu& menu, int depth) {
  for (const auto& item : menu.items) {
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << item.title << "  [tag "
        << item.tag;
    if (!item.action.empty()) out << ", " << item.action;
    if (item.image) out << ", image " << describe(*item.image);
    if (!item.enabled) out << ", disabled";
    out << "]\n";
    if (item.submenu) appendTree(out, *item.submenu, depth + 1);
  }
}

// Escaped as the menu is on the bus; the layout and names of this output are its own.
std::string jsonString(std::string_view text) {
  std::string out;
  platform::protocol::appendJsonString(out, text);
  return out;
}

std::string imageJson(const NSImage& image) {
  std::ostringstream out;
  out << "{\"kind\": " << jsonString(kindName(image.kind()))
      << ", \"name\": " << jsonString(image.name()) << ", \"width\": " << image.size().width
      << ", \"height\": " << image.size().height;
  if (const auto& drawing = image.drawing(); drawing && drawing->source) {
    out << ", \"drawnFrom\": " << imageJson(*drawing->source);
  }
  out << "}";
  return out.str();
}

std::string itemsJson(const NSMenu& menu, int depth);

std::string itemJson(const NSMenuItem& item, int depth) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  std::ostringstream out;
  out << indent << "{\"title\": " << jsonString(item.title) << ", \"tag\": " << item.tag
      << ", \"action\": " << (item.action.empty() ? "null" : jsonString(item.action))
      << ", \"keyEquivalent\": " << jsonString(item.keyEquivalent)
      << ", \"enabled\": " << (item.enabled ? "true" : "false")
      << ", \"image\": " << (item.image ? imageJson(*item.image) : "null");
  if (item.submenu)
    out << ",\n" << indent << " \"submenu\": " << itemsJson(*item.submenu, depth + 1);
  out << "}";
  return out.str();
}

std::string itemsJson(const NSMenu& menu, int depth) {
  if (menu.items.empty()) return "[]";
  std::ostringstream out;
  out << "[\n";
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    out << itemJson(menu.items[i], depth + 1) << (i + 1 < menu.items.size() ? ",\n" : "\n");
  }
  out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << "]";
  return out.str();
}

}  // namespace

std::string menuAsTree(const NSMenu& menu) {
  std::ostringstream out;
  appendTree(out, menu, 0);
  return out.str();
}

std::string menuAsJson(const NSMenu& menu) { return itemsJson(menu, 0) + "\n"; }

}  // namespace plovane::host
