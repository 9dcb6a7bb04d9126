#include "desktop/MenuTransport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>

namespace platform::desktop {

namespace {

constexpr std::array<std::pair<NSImage::Kind, const char*>, 5> kKindNames = {{
    {NSImage::Kind::asset, "asset"},
    {NSImage::Kind::system, "system"},
    {NSImage::Kind::fileIcon, "fileIcon"},
    {NSImage::Kind::applicationIcon, "applicationIcon"},
    {NSImage::Kind::canvas, "canvas"},
}};

QString kindName(NSImage::Kind kind) {
  for (const auto& [known, name] : kKindNames) {
    if (known == kind) return name;
  }
  return {};
}

std::optional<NSImage::Kind> kindNamed(const QString& text) {
  for (const auto& [kind, name] : kKindNames) {
    if (text == name) return kind;
  }
  return std::nullopt;
}

QString text(const std::string& value) { return QString::fromStdString(value); }

QJsonArray encodeRect(const NSRect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }

NSRect decodeRect(const QJsonValue& value) {
  const QJsonArray numbers = value.toArray();
  return {numbers.at(0).toDouble(), numbers.at(1).toDouble(), numbers.at(2).toDouble(),
          numbers.at(3).toDouble()};
}

QJsonObject encodeImage(const NSImage& image) {
  QJsonObject object{{"kind", kindName(image.kind())},
                     {"name", text(image.name())},
                     {"width", image.size().width},
                     {"height", image.size().height}};
  if (const auto& drawing = image.drawing()) {
    QJsonObject drawn{{"from", encodeRect(drawing->fromRect)},
                      {"in", encodeRect(drawing->inRect)},
                      {"operation", drawing->compositingOperation},
                      {"fraction", drawing->fraction}};
    if (drawing->source) drawn["source"] = encodeImage(*drawing->source);
    if (drawing->interpolation) drawn["interpolation"] = *drawing->interpolation;
    object["drawing"] = drawn;
  }
  return object;
}

std::optional<NSImage> decodeImage(const QJsonObject& object) {
  const auto kind = kindNamed(object["kind"].toString());
  if (!kind) return std::nullopt;
  std::optional<NSImage::Drawing> drawing;
  if (object.contains("drawing")) {
    const QJsonObject drawn = object["drawing"].toObject();
    drawing = NSImage::Drawing{nullptr,
                               decodeRect(drawn["from"]),
                               decodeRect(drawn["in"]),
                               drawn["operation"].toInt(),
                               drawn["fraction"].toDouble(),
                               std::nullopt};
    if (drawn.contains("interpolation")) drawing->interpolation = drawn["interpolation"].toInt();
    if (drawn.contains("source")) {
      const auto source = decodeImage(drawn["source"].toObject());
      if (!source) return std::nullopt;
      drawing->source = std::make_shared<const NSImage>(*source);
    }
  }
  return NSImage::described(*kind, object["name"].toString().toStdString(),
                            {object["width"].toDouble(), object["height"].toDouble()},
                            std::move(drawing));
}

QJsonArray encodeItems(const NSMenu& menu) {
  QJsonArray items;
  for (const auto& item : menu.items) {
    QJsonObject object{{"title", text(item.title)},
                       {"action", text(item.action)},
                       {"keyEquivalent", text(item.keyEquivalent)},
                       {"tag", static_cast<qint64>(item.tag)},
                       {"enabled", item.enabled}};
    if (item.image) object["image"] = encodeImage(*item.image);
    if (item.submenu) {
      object["submenuTitle"] = text(item.submenu->title);
      object["submenu"] = encodeItems(*item.submenu);
    }
    items.append(object);
  }
  return items;
}

std::shared_ptr<NSMenu> decodeItems(const QString& title, const QJsonArray& items) {
  auto menu = std::make_shared<NSMenu>(title.toStdString());
  for (const auto& value : items) {
    const QJsonObject object = value.toObject();
    if (!object["title"].isString() || !object["tag"].isDouble()) return nullptr;
    NSMenuItem item(object["title"].toString().toStdString(),
                    object["action"].toString().toStdString(),
                    object["keyEquivalent"].toString().toStdString());
    item.tag = object["tag"].toInteger();
    item.enabled = object["enabled"].toBool(true);
    if (object.contains("image")) {
      item.image = decodeImage(object["image"].toObject());
      if (!item.image) return nullptr;
    }
    if (object.contains("submenu")) {
      item.submenu = decodeItems(object["submenuTitle"].toString(), object["submenu"].toArray());
      if (!item.submenu) return nullptr;
    }
    menu->addItem(std::move(item));
  }
  return menu;
}

}  // namespace

QByteArray encodeMenu(const NSMenu& menu, const std::filesystem::path& resources) {
  const QJsonObject object{{"title", text(menu.title)},
                           {"resources", QString::fromStdString(resources.string())},
                           {"items", encodeItems(menu)}};
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<TransportedMenu> decodeMenu(const QByteArray& encoded) {
  const QJsonDocument document = QJsonDocument::fromJson(encoded);
  if (!document.isObject()) return std::nullopt;
  const QJsonObject object = document.object();
  auto menu = decodeItems(object["title"].toString(), object["items"].toArray());
  if (!menu) return std::nullopt;
  return TransportedMenu{std::move(menu), object["resources"].toString().toStdString()};
}

}  // namespace platform::desktop
