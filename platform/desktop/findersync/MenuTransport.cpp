#include "desktop/findersync/MenuTransport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>

#include "desktop/findersync/FinderSyncProtocol.h"

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
  QJsonObject object{{json::kKind, kindName(image.kind())},
                     {json::kName, text(image.name())},
                     {json::kWidth, image.size().width},
                     {json::kHeight, image.size().height}};
  if (const auto& drawing = image.drawing()) {
    QJsonObject drawn{{json::kFrom, encodeRect(drawing->fromRect)},
                      {json::kIn, encodeRect(drawing->inRect)},
                      {json::kOperation, drawing->compositingOperation},
                      {json::kFraction, drawing->fraction}};
    if (drawing->source) drawn[json::kSource] = encodeImage(*drawing->source);
    if (drawing->interpolation) drawn[json::kInterpolation] = *drawing->interpolation;
    object[json::kDrawing] = drawn;
  }
  return object;
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

QJsonArray encodeItems(const NSMenu& menu) {
  QJsonArray items;
  for (const auto& item : menu.items) {
    QJsonObject object{{json::kTitle, text(item.title)},
                       {json::kAction, text(item.action)},
                       {json::kKeyEquivalent, text(item.keyEquivalent)},
                       {json::kTag, static_cast<qint64>(item.tag)},
                       {json::kEnabled, item.enabled}};
    if (item.image) object[json::kImage] = encodeImage(*item.image);
    if (item.submenu) {
      object[json::kSubmenuTitle] = text(item.submenu->title);
      object[json::kSubmenu] = encodeItems(*item.submenu);
    }
    items.append(object);
  }
  return items;
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
  const QJsonObject object{{json::kTitle, text(menu.title)},
                           {json::kResources, QString::fromStdString(resources.string())},
                           {json::kItems, encodeItems(menu)}};
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
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
