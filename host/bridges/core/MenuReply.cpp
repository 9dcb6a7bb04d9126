#include "core/MenuReply.h"

#include <gio/gio.h>

#include <initializer_list>
#include <limits>
#include <memory>
#include <string>

#include "core/ResourceFiles.h"
#include "protocol/FinderSyncProtocol.h"
#include "protocol/InsideFolder.h"
#include "protocol/JsonReader.h"
#include "protocol/SystemImageIcons.h"

namespace plovane::bridge {

namespace {

namespace json = platform::protocol::menu_json;
using platform::protocol::JsonReader;
using Kind = JsonReader::Kind;

// Arrays and objects a reply may nest: the root, an array and an entry per menu level, and an
// image drawn from an image drawn from an image, with its rectangles. Checked as the text is
// read, so a deep reply never recurses deeper than this.
constexpr std::size_t kMaxNesting = 1 + 2 * kMaxMenuLevels + 7;

// One reply's reading of its items.
struct Reading {
  JsonReader reader;
  ResourceFiles files;
  bool tooManyLevels = false;
};

// A string member, or empty for any other value. GTK takes UTF-8 as C strings: a text ends at an
// escaped NUL, and an escaped lone surrogate's three bytes, which are not UTF-8, become U+FFFDs.
void readText(JsonReader& reader, std::string& text) {
  if (reader.next() != Kind::string) {
    text.clear();
    reader.skip();
    return;
  }
  if (!reader.string(text)) return;
  if (const auto end = text.find('\0'); end != std::string::npos) text.resize(end);
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return;
  gchar* repaired = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  text = repaired;
  g_free(repaired);
}

// A number's integral part (out of range, the least tag, which no command has), a truth value's
// 0 or 1; 0 for anything else.
std::int64_t readTag(JsonReader& reader) {
  switch (reader.next()) {
    case Kind::number: {
      JsonReader::Number number;
      if (!reader.number(number)) return 0;
      if (number.integral) return number.integer;
      constexpr double kBeyond = 9223372036854775808.0;  // 2^63
      return number.real >= -kBeyond && number.real < kBeyond
                 ? static_cast<std::int64_t>(number.real)
                 : std::numeric_limits<std::int64_t>::min();
    }
    case Kind::boolean: {
      bool value = false;
      reader.boolean(value);
      return value ? 1 : 0;
    }
    default:
      reader.skip();
      return 0;
  }
}

// On unless the reply says false or 0, or gives a string; null, an array or an object leave it on.
bool readEnabled(JsonReader& reader) {
  switch (reader.next()) {
    case Kind::number: {
      JsonReader::Number number;
      return reader.number(number) && number.real != 0;
    }
    case Kind::boolean: {
      bool value = false;
      reader.boolean(value);
      return value;
    }
    case Kind::string:
      reader.skip();
      return false;
    default:
      reader.skip();
      return true;
  }
}

// An image as far as its icon goes: a canvas is shown as what it was drawn from.
struct Image {
  std::string kind;
  std::string name;
  std::unique_ptr<Image> source;
};

void readImage(JsonReader& reader, Image& image);

void readDrawing(JsonReader& reader, std::unique_ptr<Image>& source) {
  source.reset();
  if (reader.next() != Kind::object) {
    reader.skip();
    return;
  }
  reader.enterObject();
  std::string key;
  while (reader.member(key)) {
    if (key != json::kSource) {
      reader.skip();
    } else if (reader.next() == Kind::object) {
      source = std::make_unique<Image>();
      readImage(reader, *source);
    } else {
      source.reset();
      reader.skip();
    }
  }
}

void readImage(JsonReader& reader, Image& image) {
  reader.enterObject();
  std::string key;
  while (reader.member(key)) {
    if (key == json::kKind) {
      readText(reader, image.kind);
    } else if (key == json::kName) {
      readText(reader, image.name);
    } else if (key == json::kDrawing) {
      readDrawing(reader, image.source);
    } else {
      reader.skip();
    }
  }
}

// The theme's first name for a platform image: the file manager falls back on its own.
std::string systemIcon(const std::string& name) {
  const auto& icons = platform::protocol::systemImageIconNames();
  const auto found = icons.find(name);
  return found == icons.end() ? std::string() : found->second.front();
}

// The first of `name`'s files that exists inside the resources; a name cannot lead out of them.
std::string firstExisting(ResourceFiles& files, const std::string& name,
                          std::initializer_list<const char*> extensions) {
  const std::string& folder = files.folder();
  if (folder.empty()) return {};
  // A name without a slash, as the bundle's are, names a file of the (normalised) folder itself.
  const bool plain = name.find('/') == std::string::npos;
  for (const char* extension : extensions) {
    const std::string file =
        plain ? files.inFolder(name, extension)
              : platform::protocol::normalisedPath(folder + "/" + name + extension);
    if (!plain && !platform::protocol::isInsideFolder(folder, file)) return {};
    if (files.exists(file)) return file;
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

// A theme name, or a file inside the resources (absolute and normalised, or none): the file
// manager loads what it is handed, and the reply may come from anyone.
std::string iconFor(const Image& image, ResourceFiles& files) {
  if (image.kind == json::kAssetKind) return firstExisting(files, image.name, {".png", ".svg"});
  if (image.kind == json::kSystemKind) return systemIcon(image.name);
  if (image.kind == json::kFileIconKind) return fileTypeIcon(image.name);
  if (image.kind == json::kApplicationIconKind) {
    // The extension's own bundle holds its resources; another bundle's file is not handed over,
    // so it is not looked for either.
    const std::string folder = platform::protocol::normalisedPath(image.name + "/Resources");
    if (platform::protocol::isInsideFolder(files.folder(), folder)) {
      for (const char* file : {"/AppIcon.svg", "/AppIcon.png"}) {
        if (files.exists(folder + file)) return folder + file;
      }
    }
    return "application-x-executable";
  }
  if (image.kind == json::kCanvasKind && image.source) return iconFor(*image.source, files);
  return {};
}

bool readEntries(Reading& reading, int level, std::vector<Entry>& entries);

// One entry; false when it is none: without a title, or with a submenu that is no menu. Read to
// its end either way: a later member of the same name replaces an earlier one.
bool readEntry(Reading& reading, int level, Entry& entry) {
  JsonReader& reader = reading.reader;
  reader.enterObject();
  bool titled = false;
  bool submenuIsMenu = true;
  std::string key;
  while (reader.member(key)) {
    if (key == json::kTitle) {
      titled = true;
      readText(reader, entry.title);
    } else if (key == json::kAction) {
      readText(reader, entry.action);
    } else if (key == json::kTag) {
      entry.tag = readTag(reader);
    } else if (key == json::kEnabled) {
      entry.enabled = readEnabled(reader);
    } else if (key == json::kImage) {
      entry.icon.clear();
      if (reader.next() == Kind::object) {
        Image image;
        readImage(reader, image);
        if (!reader.failed()) entry.icon = iconFor(image, reading.files);
      } else {
        reader.skip();
      }
    } else if (key == json::kSubmenu) {
      entry.submenu.clear();
      submenuIsMenu = true;
      if (reader.next() == Kind::array) {
        submenuIsMenu = readEntries(reading, level + 1, entry.submenu);
      } else {
        reader.skip();
      }
    } else {
      reader.skip();
    }
  }
  return titled && submenuIsMenu;
}

// The array ahead as entries; false when it is no menu: an element is no entry, or it lies
// deeper than the menu levels. Read to its end either way, without converting what follows.
bool readEntries(Reading& reading, int level, std::vector<Entry>& entries) {
  JsonReader& reader = reading.reader;
  if (level > kMaxMenuLevels) {
    reading.tooManyLevels = true;
    reader.skip();
    return false;
  }
  bool menu = true;
  reader.enterArray();
  while (reader.element()) {
    if (!menu || reader.next() != Kind::object) {
      menu = false;
      reader.skip();
      continue;
    }
    Entry entry;
    if (!readEntry(reading, level, entry)) {
      menu = false;
      continue;
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
  return menu && !reader.failed();
}

}  // namespace

std::optional<std::vector<Entry>> entriesFromMenuReply(std::string_view json) {
  if (json.empty()) return std::nullopt;
  if (json.size() > kMaxMenuReplyBytes) {
    g_message("Plovane Menu: a menu reply of %zu bytes was refused: larger than the menu bound",
              json.size());
    return std::nullopt;
  }
  if (!g_utf8_validate(json.data(), static_cast<gssize>(json.size()), nullptr)) return std::nullopt;
  // The whole text first: whether it is JSON, where its items start and the resources folder the
  // icons need, which the extension writes after the items.
  JsonReader reader(json, kMaxNesting);
  if (reader.next() != Kind::object) return std::nullopt;
  reader.enterObject();
  std::optional<std::size_t> items;
  std::string resources;
  std::string key;
  while (reader.member(key)) {
    if (key == json::kItems) {
      items.reset();
      if (reader.next() == Kind::array) items = reader.offset();
      reader.skip();
    } else if (key == json::kResources) {
      readText(reader, resources);
    } else {
      reader.skip();
    }
  }
  if (!reader.finished()) {
    if (reader.tooDeep()) {
      g_message("Plovane Menu: a menu reply of %zu bytes was refused: nested deeper than a menu",
                json.size());
    }
    return std::nullopt;
  }
  if (!items) return std::nullopt;
  Reading reading{
      JsonReader(json.substr(*items), kMaxNesting - 1),
      ResourceFiles(resources.starts_with('/') ? platform::protocol::normalisedPath(resources)
                                               : std::string())};
  std::vector<Entry> entries;
  if (!readEntries(reading, 1, entries)) {
    if (reading.tooManyLevels) {
      g_message("Plovane Menu: a menu reply was refused: more than %d levels", kMaxMenuLevels);
    }
    return std::nullopt;
  }
  return entries;
}

}  // namespace plovane::bridge
