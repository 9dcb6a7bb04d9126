#include "desktop/findersync/MenuTransport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QString>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

namespace {

namespace json = finder_sync::menu_json;

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

std::optional<NSImage::Kind> kindNamed(const QString& text) {
  for (const auto& [kind, name] : kKindNames) {
    if (text == name) return kind;
  }
  return std::nullopt;
}

// Writes JSON text as QJsonDocument's compact form does, so a reply is the same bytes it always
// was, without a tree of objects per entry: the caller gives each object's keys in sorted order,
// as QJsonObject keeps them; strings escape only what JSON requires and keep other text as it
// is; numbers are formatted as Qt formats them.
class JsonWriter {
 public:
  explicit JsonWriter(QByteArray& out) : out_(out) {}

  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  void key(const char* name) {
    separate();
    out_ += '"';
    out_ += name;
    out_ += "\":";
    first_ = true;
  }
  void boolean(bool value) {
    separate();
    out_ += value ? "true" : "false";
  }
  void integer(qint64 value) {
    separate();
    appendInteger(value);
  }
  void number(double value) {
    separate();
    // Qt keeps a whole number of magnitude below 2^63 as an integer, writes other finite ones in
    // their shortest form, and the rest as null.
    if (value == std::trunc(value) && std::abs(value) <= 0x1p53) {
      appendInteger(static_cast<qint64>(value));
    } else if (std::isfinite(value)) {
      out_ += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    } else {
      out_ += "null";
    }
  }
  void string(std::string_view text) {
    separate();
    if (!readsAsItIs(text)) {
      // Qt first replaces what is not UTF-8; the escaping of the result is the same.
      const QByteArray replaced = QString::fromUtf8(text.data(), qsizetype(text.size())).toUtf8();
      appendEscaped({replaced.constData(), static_cast<std::size_t>(replaced.size())});
      return;
    }
    appendEscaped(text);
  }

 private:
  void open(char bracket) {
    separate();
    out_ += bracket;
    first_ = true;
  }
  void close(char bracket) {
    out_ += bracket;
    first_ = false;
  }
  void separate() {
    if (!first_) out_ += ',';
    first_ = false;
  }
  void appendInteger(qint64 value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out_.append(digits.data(), end - digits.data());
  }
  void appendEscaped(std::string_view text) {
    out_ += '"';
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
      out_.append(text.data() + plain, static_cast<qsizetype>(i - plain));
      appendEscape(byte);
      plain = i + 1;
    }
    out_.append(text.data() + plain, static_cast<qsizetype>(text.size() - plain));
    out_ += '"';
  }
  void appendEscape(unsigned char byte) {
    static constexpr std::pair<char, char> kShortForms[] = {
        {'"', '"'}, {'\\', '\\'}, {'\b', 'b'}, {'\f', 'f'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};
    out_ += '\\';
    for (const auto& [escaped, form] : kShortForms) {
      if (byte == static_cast<unsigned char>(escaped)) {
        out_ += form;
        return;
      }
    }
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += "u00";
    out_ += kHex[byte >> 4];
    out_ += kHex[byte & 0xf];
  }
  // Whether Qt reads `text` as UTF-8 without changing a byte: well-formed, and free of the byte
  // order mark and of noncharacters, which it might drop or replace.
  static bool readsAsItIs(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
      const auto lead = static_cast<unsigned char>(text[i]);
      if (lead < 0x80) {
        ++i;
        continue;
      }
      const int length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
      if (length == 0 || lead > 0xf4 || i + length > text.size()) return false;
      char32_t point = lead & (0x3f >> (length - 1));
      for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xc0) != 0x80) return false;
        point = (point << 6) | (next & 0x3f);
      }
      constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
      if (point < kLeast[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff) ||
          point == 0xfeff || (point >= 0xfdd0 && point <= 0xfdef) || (point & 0xfffe) == 0xfffe) {
        return false;
      }
      i += length;
    }
    return true;
  }

  QByteArray& out_;
  bool first_ = true;
};

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
  writer.string(image.name());
  writer.key(json::kWidth);
  writer.number(image.size().width);
  writer.endObject();
}

void writeItems(JsonWriter& writer, const NSMenu& menu) {
  writer.beginArray();
  for (const auto& item : menu.items) {
    writer.beginObject();
    writer.key(json::kAction);
    writer.string(item.action);
    writer.key(json::kEnabled);
    writer.boolean(item.enabled);
    if (item.image) {
      writer.key(json::kImage);
      writeImage(writer, *item.image);
    }
    writer.key(json::kKeyEquivalent);
    writer.string(item.keyEquivalent);
    if (item.submenu) {
      writer.key(json::kSubmenu);
      writeItems(writer, *item.submenu);
      writer.key(json::kSubmenuTitle);
      writer.string(item.submenu->title);
    }
    writer.key(json::kTag);
    writer.integer(item.tag);
    writer.key(json::kTitle);
    writer.string(item.title);
    writer.endObject();
  }
  writer.endArray();
}

NSRect decodeRect(const QJsonValue& value) {
  const QJsonArray numbers = value.toArray();
  return {numbers.at(0).toDouble(), numbers.at(1).toDouble(), numbers.at(2).toDouble(),
          numbers.at(3).toDouble()};
}

std::optional<NSImage> decodeImage(const QJsonObject& object) {
  const auto kind = kindNamed(object[json::kKind].toString());
  if (!kind) return std::nullopt;
  std::optional<NSImage::Drawing> drawing;
  if (object.contains(json::kDrawing)) {
    const QJsonObject drawn = object[json::kDrawing].toObject();
    drawing = NSImage::Drawing{nullptr,
                               decodeRect(drawn[json::kFrom]),
                               decodeRect(drawn[json::kIn]),
                               drawn[json::kOperation].toInt(),
                               drawn[json::kFraction].toDouble(),
                               std::nullopt};
    if (drawn.contains(json::kInterpolation))
      drawing->interpolation = drawn[json::kInterpolation].toInt();
    if (drawn.contains(json::kSource)) {
      const auto source = decodeImage(drawn[json::kSource].toObject());
      if (!source) return std::nullopt;
      drawing->source = std::make_shared<const NSImage>(*source);
    }
  }
  return NSImage::described(*kind, object[json::kName].toString().toStdString(),
                            {object[json::kWidth].toDouble(), object[json::kHeight].toDouble()},
                            std::move(drawing));
}

std::shared_ptr<NSMenu> decodeItems(const QString& title, const QJsonArray& items) {
  auto menu = std::make_shared<NSMenu>(title.toStdString());
  for (const auto& value : items) {
    const QJsonObject object = value.toObject();
    if (!object[json::kTitle].isString() || !object[json::kTag].isDouble()) return nullptr;
    NSMenuItem item(object[json::kTitle].toString().toStdString(),
                    object[json::kAction].toString().toStdString(),
                    object[json::kKeyEquivalent].toString().toStdString());
    item.tag = object[json::kTag].toInteger();
    item.enabled = object[json::kEnabled].toBool(true);
    if (object.contains(json::kImage)) {
      item.image = decodeImage(object[json::kImage].toObject());
      if (!item.image) return nullptr;
    }
    if (object.contains(json::kSubmenu)) {
      item.submenu =
          decodeItems(object[json::kSubmenuTitle].toString(), object[json::kSubmenu].toArray());
      if (!item.submenu) return nullptr;
    }
    menu->addItem(std::move(item));
  }
  return menu;
}

}  // namespace

QByteArray encodeMenu(const NSMenu& menu, const std::filesystem::path& resources) {
  QByteArray text;
  text.reserve(4096);
  JsonWriter writer(text);
  writer.beginObject();
  writer.key(json::kItems);
  writeItems(writer, menu);
  writer.key(json::kResources);
  writer.string(resources.native());
  writer.key(json::kTitle);
  writer.string(menu.title);
  writer.endObject();
  return text;
}

std::optional<TransportedMenu> decodeMenu(const QByteArray& encoded) {
  const QJsonDocument document = QJsonDocument::fromJson(encoded);
  if (!document.isObject()) return std::nullopt;
  const QJsonObject object = document.object();
  auto menu = decodeItems(object[json::kTitle].toString(), object[json::kItems].toArray());
  if (!menu) return std::nullopt;
  return TransportedMenu{std::move(menu), object[json::kResources].toString().toStdString()};
}

}  // namespace platform::desktop
