#include "core/MenuReply.h"

#include <gio/gio.h>
#include <json-glib/json-glib.h>

#include <filesystem>
#include <memory>

#include "desktop/SystemImageIcons.h"
#include "desktop/findersync/FinderSyncProtocol.h"

namespace plovane::bridge {

namespace {

namespace json = platform::desktop::finder_sync::menu_json;

using Parser = std::unique_ptr<JsonParser, decltype(&g_object_unref)>;

std::string textMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  if (node == nullptr || JSON_NODE_HOLDS_NULL(node) ||
      json_node_get_value_type(node) != G_TYPE_STRING)
    return {};
  return json_node_get_string(node);
}

JsonObject* objectMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  return node != nullptr && JSON_NODE_HOLDS_OBJECT(node) ? json_node_get_object(node) : nullptr;
}

JsonArray* arrayMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  return node != nullptr && JSON_NODE_HOLDS_ARRAY(node) ? json_node_get_array(node) : nullptr;
}

// The theme's first name for a platform image: the file manager falls back on its own.
std::string systemIcon(const std::string& name) {
  const auto& icons = platform::desktop::systemImageIconNames();
  const auto found = icons.find(name);
  return found == icons.end() ? std::string() : found->second.front();
}

std::string firstExisting(const std::filesystem::path& folder, const std::string& name,
                          std::initializer_list<const char*> extensions) {
  for (const char* extension : extensions) {
    const auto file = folder / (name + extension);
    if (g_file_test(file.c_str(), G_FILE_TEST_EXISTS)) return file.string();
  }
  return {};
}

// A file's icon by its type, guessed from its name: a menu must not read every file it lists.
std::string fileTypeIcon(const std::string& path) {
  if (g_file_test(path.c_str(), G_FILE_TEST_IS_DIR)) return "folder";
  gchar* type = g_content_type_guess(path.c_str(), nullptr, 0, nullptr);
  gchar* generic = g_content_type_get_generic_icon_name(type);
  std::string icon = generic != nullptr ? generic : "text-x-generic";
  g_free(generic);
  g_free(type);
  return icon;
}

std::string iconFor(JsonObject* image, const std::filesystem::path& resources) {
  const std::string kind = textMember(image, json::kKind);
  const std::string name = textMember(image, json::kName);
  if (kind == json::kAssetKind) return firstExisting(resources, name, {".png", ".svg"});
  if (kind == json::kSystemKind) return systemIcon(name);
  if (kind == json::kFileIconKind) return fileTypeIcon(name);
  if (kind == json::kApplicationIconKind) {
    const std::string own =
        firstExisting(std::filesystem::path(name) / "Resources", "AppIcon", {".svg", ".png"});
    return own.empty() ? "application-x-executable" : own;
  }
  if (kind == json::kCanvasKind) {
    JsonObject* drawing = objectMember(image, json::kDrawing);
    JsonObject* source = drawing != nullptr ? objectMember(drawing, json::kSource) : nullptr;
    if (source != nullptr) return iconFor(source, resources);
  }
  return {};
}

std::optional<std::vector<Entry>> entriesOf(JsonArray* items,
                                            const std::filesystem::path& resources) {
  std::vector<Entry> entries;
  for (guint index = 0; index < json_array_get_length(items); ++index) {
    JsonNode* node = json_array_get_element(items, index);
    if (!JSON_NODE_HOLDS_OBJECT(node)) return std::nullopt;
    JsonObject* object = json_node_get_object(node);
    if (!json_object_has_member(object, json::kTitle)) return std::nullopt;
    Entry entry;
    entry.title = textMember(object, json::kTitle);
    entry.action = textMember(object, json::kAction);
    entry.tag = json_object_get_int_member_with_default(object, json::kTag, 0);
    entry.enabled = json_object_get_boolean_member_with_default(object, json::kEnabled, TRUE);
    if (JsonObject* image = objectMember(object, json::kImage)) {
      entry.icon = iconFor(image, resources);
    }
    if (JsonArray* submenu = arrayMember(object, json::kSubmenu)) {
      auto children = entriesOf(submenu, resources);
      if (!children) return std::nullopt;
      entry.submenu = std::move(*children);
    }
    // A separator of the stand-in's menu has no counterpart in a file manager's item list.
    if (entry.action.empty() && entry.submenu.empty() &&
        (entry.title.empty() || entry.title == "-"))
      continue;
    if (!entry.action.empty() && !entry.submenu.empty()) {
      Entry own = entry;
      own.submenu.clear();
      entry.submenu.insert(entry.submenu.begin(), std::move(own));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

std::optional<std::vector<Entry>> entriesFromMenuReply(const std::string& json) {
  Parser parser(json_parser_new(), g_object_unref);
  if (!json_parser_load_from_data(parser.get(), json.data(), static_cast<gssize>(json.size()),
                                  nullptr))
    return std::nullopt;
  JsonNode* root = json_parser_get_root(parser.get());
  if (root == nullptr || !JSON_NODE_HOLDS_OBJECT(root)) return std::nullopt;
  JsonObject* menu = json_node_get_object(root);
  JsonArray* items = arrayMember(menu, json::kItems);
  if (items == nullptr) return std::nullopt;
  return entriesOf(items, textMember(menu, json::kResources));
}

}  // namespace plovane::bridge
