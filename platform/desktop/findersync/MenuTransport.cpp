#include "desktop/findersync/MenuTransport.h"

#include <QString>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "protocol/FinderSyncProtocol.h"
#include "protocol/JsonReader.h"
#include "protocol/JsonWriter.h"
#include "protocol/Utf8.h"

namespace platform::desktop {

namespace {

namespace json = protocol::menu_json;
using protocol::JsonReader;
using protocol::JsonWriter;
using Kind = JsonReader::Kind;

constexpr std::array<std::pair<NSImage::Kind, const char*>, 5> kKindNames = {{
    {NSImage::Kind::asset, json::kAssetKind},
    {NSImage::Kind::system, json::kSystemKind},
    {NSImage::Kind::fileIcon, json::kFileIconKind},
    {NSImage::Kind::applicationIcon, json::kApplicationIconKind},
    {NSImage::Kind::canvas, json::kCanvasKind},
}};

const char* kindName(NSImage::Kind kind) {
  for (const auto& [known, name] : kKindNames) {
    if (known == kind) return name;
  }
  return "";
}

std::optional<NSImage::Kind> kindNamed(std::string_view text) {
  for (const auto& [kind, name] : kKindNames) {
    if (text == name) return kind;
  }
  return std::nullopt;
}

// Whether Qt reads `text` as UTF-8 without changing a byte: well-formed, and free of the byte
// order mark and of noncharacters, which it might drop or replace.
bool readsAsItIs(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const auto [point, length] = protocol::utf8CharacterAt(text, i);
    if (length == 0 || point == 0xfeff || (point >= 0xfdd0 && point <= 0xfdef) ||
        (point & 0xfffe) == 0xfffe) {
      return false;
    }
    i += length;
  }
  return true;
}

// Text as Qt's JSON objects wrote it: what Qt would not read as UTF-8 without changing a byte is
// first read as Qt reads it, replacements included.
void writeText(JsonWriter& writer, std::string_view text) {
  if (readsAsItIs(text)) {
    writer.string(text);
    return;
  }
  const QByteArray replaced = QString::fromUtf8(text.data(), qsizetype(text.size())).toUtf8();
  writer.string({replaced.constData(), static_cast<std::size_t>(replaced.size())});
}

void writeRect(JsonWriter& writer, const NSRect& rect) {
  writer.beginArray();
  for (const double value : {rect.x, rect.y, rect.width, rect.height}) writer.number(value);
  writer.endArray();
}

void writeImage(JsonWriter& writer, const NSImage& image) {
  writer.beginObject();
  if (const auto& drawing = image.drawing()) {
    writer.key(json::kDrawing);
    writer.beginObject();
    writer.key(json::kFraction);
    writer.number(drawing->fraction);
    writer.key(json::kFrom);
    writeRect(writer, drawing->fromRect);
    writer.key(json::kIn);
    writeRect(writer, drawing->inRect);
    if (drawing->interpolation) {
      writer.key(json::kInterpolation);
      writer.integer(*drawing->interpolation);
    }
    writer.key(json::kOperation);
    writer.integer(drawing->compositingOperation);
    if (drawing->source) {
      writer.key(json::kSource);
      writeImage(writer, *drawing->source);
    }
    writer.endObject();
  }
  writer.key(json::kHeight);
  writer.number(image.size().height);
  writer.key(json::kKind);
  writer.string(kindName(image.kind()));
  writer.key(json::kName);
  writeText(writer, image.name());
  writer.key(json::kWidth);
  writer.number(image.size().width);
  writer.endObject();
}

void writeItems(JsonWriter& writer, const NSMenu& menu) {
  writer.beginArray();
  for (const auto& item : menu.items) {
    writer.beginObject();
    writer.key(json::kAction);
    writeText(writer, item.action);
    writer.key(json::kEnabled);
    writer.boolean(item.enabled);
    if (item.image) {
      writer.key(json::kImage);
      writeImage(writer, *item.image);
    }
    writer.key(json::kKeyEquivalent);
    writeText(writer, item.keyEquivalent);
    if (item.submenu) {
      writer.key(json::kSubmenu);
      writeItems(writer, *item.submenu);
      writer.key(json::kSubmenuTitle);
      writeText(writer, item.submenu->title);
    }
    writer.key(json::kTag);
    writer.integer(item.tag);
    writer.key(json::kTitle);
    writeText(writer, item.title);
    writer.endObject();
  }
  writer.endArray();
}

// The reading below gives each field what Qt's JSON values gave where the text holds another
// kind of value (an empty string, 0, a default), and a key given twice its last value, so a
// menu reads as it always did. The bound on nesting is Qt's reader's.
constexpr std::size_t kMaxNesting = 1024;

// A string; an escaped lone surrogate, which the reader leaves as three bytes that are not UTF-8,
// becomes "?" as it did through Qt.
std::string readString(JsonReader& reader) {
  std::string text;
  if (reader.next() != Kind::string) {
    reader.skip();
    return text;
  }
  reader.string(text);
  for (std::size_t at = text.find('\xed'); at != std::string::npos;
       at = text.find('\xed', at + 1)) {
    if (static_cast<unsigned char>(text[at + 1]) >= 0xa0) text.replace(at, 3, "?");
  }
  return text;
}

std::optional<JsonReader::Number> readNumber(JsonReader& reader) {
  JsonReader::Number number;
  if (reader.next() != Kind::number) {
    reader.skip();
    return std::nullopt;
  }
  if (!reader.number(number)) return std::nullopt;
  return number;
}

double readDouble(JsonReader& reader) {
  const auto number = readNumber(reader);
  return number ? number->real : 0;
}

// A number that is a whole `Integer`, else 0.
template <typename Integer>
Integer wholeNumber(const JsonReader::Number& number) {
  using Limits = std::numeric_limits<Integer>;
  if (number.integral) {
    return number.integer >= Limits::min() && number.integer <= Limits::max()
               ? static_cast<Integer>(number.integer)
               : 0;
  }
  const double least = Limits::min();  // -2^(bits - 1), exact
  return number.real >= least && number.real < -least && number.real == std::trunc(number.real)
             ? static_cast<Integer>(number.real)
             : 0;
}

int readInt(JsonReader& reader) {
  const auto number = readNumber(reader);
  return number ? wholeNumber<int>(*number) : 0;
}

bool readBoolean(JsonReader& reader, bool otherwise) {
  bool value = otherwise;
  if (reader.next() == Kind::boolean) {
    reader.boolean(value);
  } else {
    reader.skip();
  }
  return value;
}

NSRect readRect(JsonReader& reader) {
  double values[4] = {};
  if (reader.next() != Kind::array) {
    reader.skip();
    return {};
  }
  reader.enterArray();
  for (std::size_t at = 0; reader.element(); ++at) {
    if (at < 4) {
      values[at] = readDouble(reader);
    } else {
      reader.skip();
    }
  }
  return {values[0], values[1], values[2], values[3]};
}

std::optional<NSImage> readImage(JsonReader& reader);

// A drawing; one whose source is no image is none.
std::optional<NSImage::Drawing> readDrawing(JsonReader& reader) {
  NSImage::Drawing drawing;
  bool sourceIsImage = true;
  if (reader.next() != Kind::object) {
    reader.skip();
    return drawing;
  }
  reader.enterObject();
  std::string key;
  while (reader.member(key)) {
    if (key == json::kFrom) {
      drawing.fromRect = readRect(reader);
    } else if (key == json::kIn) {
      drawing.inRect = readRect(reader);
    } else if (key == json::kOperation) {
      drawing.compositingOperation = readInt(reader);
    } else if (key == json::kFraction) {
      drawing.fraction = readDouble(reader);
    } else if (key == json::kInterpolation) {
      drawing.interpolation = readInt(reader);
    } else if (key == json::kSource) {
      const auto source = readImage(reader);
      sourceIsImage = source.has_value();
      drawing.source = source ? std::make_shared<const NSImage>(*source) : nullptr;
    } else {
      reader.skip();
    }
  }
  if (!sourceIsImage) return std::nullopt;
  return drawing;
}

// An image; none without a kind this program knows, or with a drawing that is none.
std::optional<NSImage> readImage(JsonReader& reader) {
  if (reader.next() != Kind::object) {
    reader.skip();
    return std::nullopt;
  }
  std::string kind;
  std::string name;
  NSSize size;
  std::optional<NSImage::Drawing> drawing;
  bool drawingIsDrawing = true;
  reader.enterObject();
  std::string key;
  while (reader.member(key)) {
    if (key == json::kKind) {
      kind = readString(reader);
    } else if (key == json::kName) {
      name = readString(reader);
    } else if (key == json::kWidth) {
      size.width = readDouble(reader);
    } else if (key == json::kHeight) {
      size.height = readDouble(reader);
    } else if (key == json::kDrawing) {
      drawing = readDrawing(reader);
      drawingIsDrawing = drawing.has_value();
    } else {
      reader.skip();
    }
  }
  const auto known = kindNamed(kind);
  if (!known || !drawingIsDrawing) return std::nullopt;
  return NSImage::described(*known, std::move(name), size, std::move(drawing));
}

std::shared_ptr<NSMenu> readItems(JsonReader& reader, std::string title);

// An entry; none without a title and a numeric tag, or with an image or submenu that is none.
std::optional<NSMenuItem> readItem(JsonReader& reader) {
  if (reader.next() != Kind::object) {
    reader.skip();
    return std::nullopt;
  }
  NSMenuItem item("", "", "");
  bool titled = false;
  bool tagged = false;
  std::optional<NSImage> image;
  bool imageIsImage = true;
  std::shared_ptr<NSMenu> submenu;
  bool hasSubmenu = false;
  std::string submenuTitle;
  reader.enterObject();
  std::string key;
  while (reader.member(key)) {
    if (key == json::kTitle) {
      titled = reader.next() == Kind::string;
      item.title = readString(reader);
    } else if (key == json::kTag) {
      const auto number = readNumber(reader);
      tagged = number.has_value();
      item.tag = number ? wholeNumber<std::int64_t>(*number) : 0;
    } else if (key == json::kAction) {
      item.action = readString(reader);
    } else if (key == json::kKeyEquivalent) {
      item.keyEquivalent = readString(reader);
    } else if (key == json::kEnabled) {
      item.enabled = readBoolean(reader, true);
    } else if (key == json::kImage) {
      image = readImage(reader);
      imageIsImage = image.has_value();
    } else if (key == json::kSubmenu) {
      hasSubmenu = true;
      submenu = readItems(reader, {});
    } else if (key == json::kSubmenuTitle) {
      submenuTitle = readString(reader);
    } else {
      reader.skip();
    }
  }
  if (!titled || !tagged || !imageIsImage || (hasSubmenu && !submenu)) return std::nullopt;
  item.image = std::move(image);
  if (submenu) {
    submenu->title = std::move(submenuTitle);
    item.submenu = std::move(submenu);
  }
  return item;
}

// The entries of the array ahead (of none for another kind of value); none when one of them is
// no entry. Read to the array's end either way.
std::shared_ptr<NSMenu> readItems(JsonReader& reader, std::string title) {
  auto menu = std::make_shared<NSMenu>(std::move(title));
  if (reader.next() != Kind::array) {
    reader.skip();
    return menu;
  }
  bool allEntries = true;
  reader.enterArray();
  while (reader.element()) {
    auto item = readItem(reader);
    allEntries = allEntries && item;
    if (allEntries) menu->addItem(std::move(*item));
  }
  return allEntries ? menu : nullptr;
}

}  // namespace

QByteArray encodeMenu(const NSMenu& menu, const std::filesystem::path& resources) {
  std::string text;
  text.reserve(4096);
  JsonWriter writer(text);
  writer.beginObject();
  writer.key(json::kItems);
  writeItems(writer, menu);
  writer.key(json::kResources);
  writeText(writer, resources.native());
  writer.key(json::kTitle);
  writeText(writer, menu.title);
  writer.endObject();
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<TransportedMenu> decodeMenu(const QByteArray& encoded) {
  JsonReader reader({encoded.constData(), static_cast<std::size_t>(encoded.size())}, kMaxNesting);
  if (reader.next() != Kind::object) return std::nullopt;
  std::string title;
  std::shared_ptr<NSMenu> menu = std::make_shared<NSMenu>();
  std::string resources;
  reader.enterObject();
  std::string key;
  while (reader.member(key)) {
    if (key == json::kTitle) {
      title = readString(reader);
    } else if (key == json::kItems) {
      menu = readItems(reader, {});
    } else if (key == json::kResources) {
      resources = readString(reader);
    } else {
      reader.skip();
    }
  }
  if (!reader.finished() || !menu) return std::nullopt;
  menu->title = std::move(title);
  return TransportedMenu{std::move(menu), std::move(resources)};
}

}  // namespace platform::desktop
