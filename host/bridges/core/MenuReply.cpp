#include "core/MenuReply.h"

#include <gio/gio.h>
#include <json-glib/json-glib.h>

#include <initializer_list>
#include <memory>
#include <string_view>

#include "desktop/SystemImageIcons.h"
#include "desktop/findersync/FinderSyncProtocol.h"
#include "files/InsideFolder.h"

namespace plovane::bridge {

namespace {

namespace json = platform::desktop::finder_sync::menu_json;

using Parser = std::unique_ptr<JsonParser, decltype(&g_object_unref)>;

// Arrays and objects a reply may nest: the root, an array and an entry per menu level, and an
// image drawn from an image drawn from an image, with its rectangles.
constexpr std::size_t kMaxNesting = 1 + 2 * kMaxMenuLevels + 7;

// Why a reply is not parsed at all, or nothing. One pass over the bytes: json-glib's parser
// recurses once per nesting level, so a deep reply would end the file manager's process.
const char* whyRefused(std::string_view json) {
  if (json.size() > kMaxMenuReplyBytes) return "larger than the menu bound";
  std::size_t depth = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : json) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting) return "nested deeper than a menu";
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return nullptr;
}

// JSON may spell a lone surrogate, which decodes to bytes that are not UTF-8: GTK takes only UTF-8.
std::string textMember(JsonObject* object, const char* name) {
  JsonNode* node = json_object_get_member(object, name);
  if (node == nullptr || JSON_NODE_HOLDS_NULL(node) ||
      json_node_get_value_type(node) != G_TYPE_STRING)
    return {};
  const gchar* text = json_node_get_string(node);
  if (g_utf8_validate(text, -1, nullptr)) return text;
  gchar* repaired = g_utf8_make_valid(text, -1);
  std::string valid = repaired;
  g_free(repaired);
  return valid;
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

// The first of `name`'s files that exists inside `folder`; a name cannot lead out of it.
std::string firstExisting(const std::string& folder, const std::string& name,
                          std::initializer_list<const char*> extensions) {
  if (folder.empty()) return {};
  for (const char* extension : extensions) {
    const std::string file = platform::normalisedPath(folder + "/" + name + extension);
    if (!platform::isInsideFolder(folder, file)) return {};
    if (g_file_test(file.c_str(), G_FILE_TEST_EXISTS)) return file;
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

// A theme name, or a file inside `resources` (absolute and normalised, or empty): the file manager
// loads what it is handed, and the reply may come from anyone.
std::string iconFor(JsonObject* image, const std::string& resources) {
  const std::string kind = textMember(image, json::kKind);
  const std::string name = textMember(image, json::kName);
  if (kind == json::kAssetKind) return firstExisting(resources, name, {".png", ".svg"});
  if (kind == json::kSystemKind) return systemIcon(name);
  if (kind == json::kFileIconKind) return fileTypeIcon(name);
  if (kind == json::kApplicationIconKind) {
    // The extension's own bundle holds its resources; another bundle's file is not handed over.
    const std::string own = firstExisting(name + "/Resources", "AppIcon", {".svg", ".png"});
    return platform::isInsideFolder(resources, own) ? own : "application-x-executable";
  }
  if (kind == json::kCanvasKind) {
    JsonObject* drawing = objectMember(image, json::kDrawing);
    JsonObject* source = drawing != nullptr ? objectMember(drawing, json::kSource) : nullptr;
    if (source != nullptr) return iconFor(source, resources);
  }
  return {};
}

std::optional<std::vector<Entry>> entriesOf(JsonArray* items, const std::string& resources,
                                            int level) {
  if (level > kMaxMenuLevels) {
    g_message("Plovane Menu: a menu reply was refused: more than %d levels", kMaxMenuLevels);
    return std::nullopt;
  }
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
      auto children = entriesOf(submenu, resources, level + 1);
      if (!children) return std::nullopt;
      entry.submenu = std::move(*children);
    }
    // A separator of the stand-in's menu has no counterpart in a file manager's item list.
    if (entry.action.empty() && entry.submenu.empty() &&
        (entry.title.empty() || entry.title == "-"))
      continue;
    if (!entry.action.empty() && !entry.submenu.empty()) {
      // Without its submenu: copying that too made a deep reply quadratic.
      Entry own{entry.title, entry.action, entry.tag, entry.enabled, entry.icon, {}};
      entry.submenu.insert(entry.submenu.begin(), std::move(own));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

std::optional<std::vector<Entry>> entriesFromMenuReply(std::string_view json) {
  if (json.empty()) return std::nullopt;
  if (const char* why = whyRefused(json)) {
    g_message("Plovane Menu: a menu reply of %zu bytes was refused: %s", json.size(), why);
    return std::nullopt;
  }
  Parser parser(json_parser_new(), g_object_unref);
  if (!json_parser_load_from_data(parser.get(), json.data(), static_cast<gssize>(json.size()),
                                  nullptr))
    return std::nullopt;
  JsonNode* root = json_parser_get_root(parser.get());
  if (root == nullptr || !JSON_NODE_HOLDS_OBJECT(root)) return std::nullopt;
  JsonObject* menu = json_node_get_object(root);
  JsonArray* items = arrayMember(menu, json::kItems);
  if (items == nullptr) return std::nullopt;
  const std::string resources = textMember(menu, json::kResources);
  return entriesOf(items, resources.starts_with('/') ? platform::normalisedPath(resources) : "", 1);
}

}  // namespace plovane::bridge
