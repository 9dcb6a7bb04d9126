#include "desktop/ImageRendering.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <initializer_list>
#include <string>
#include <vector>

#include "protocol/SystemImageIcons.h"

namespace platform::desktop {

namespace {

QIcon firstThemeIcon(const std::vector<QString>& names) {
  for (const auto& name : names) {
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  }
  return {};
}

QIcon firstThemeIcon(const std::vector<std::string>& names) {
  std::vector<QString> texts;
  for (const auto& name : names) texts.push_back(QString::fromStdString(name));
  return firstThemeIcon(texts);
}

QIcon fromFirstExisting(const std::filesystem::path& folder, const std::string& name,
                        std::initializer_list<const char*> extensions) {
  for (const char* extension : extensions) {
    const auto file = folder / (name + extension);
    if (std::filesystem::exists(file)) return QIcon(QString::fromStdString(file.string()));
  }
  return {};
}

QIcon fileTypeIcon(const std::string& path) {
  const QString file = QString::fromStdString(path);
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
  std::vector<QString> names = {type.iconName(), type.genericIconName()};
  names.push_back(QFileInfo(file).isDir() ? QStringLiteral("folder")
                                          : QStringLiteral("text-x-generic"));
  return firstThemeIcon(names);
}

}  // namespace

QIcon iconForImage(const NSImage& image, const std::filesystem::path& resourcesFolder) {
  switch (image.kind()) {
    case NSImage::Kind::asset: {
      const auto file = NSImage::assetFile(resourcesFolder, image.name());
      return file ? QIcon(QString::fromStdString(file->string())) : QIcon();
    }
    case NSImage::Kind::system: {
      const auto icons = protocol::systemImageIconNames().find(image.name());
      return icons == protocol::systemImageIconNames().end() ? QIcon()
                                                             : firstThemeIcon(icons->second);
    }
    case NSImage::Kind::fileIcon:
      return fileTypeIcon(image.name());
    case NSImage::Kind::applicationIcon: {
      // An application without artwork of its own still looks like one, not like a folder.
      QIcon own = fromFirstExisting(std::filesystem::path(image.name()) / "Resources", "AppIcon",
                                    {".svg", ".png"});
      return own.isNull() ? firstThemeIcon({QStringLiteral("application-x-executable")}) : own;
    }
    case NSImage::Kind::canvas:
      if (!image.drawing() || !image.drawing()->source) return {};
      return iconForImage(*image.drawing()->source, resourcesFolder);
  }
  return {};
}

void useBundledIconTheme() {
  QStringList searchPaths = QIcon::themeSearchPaths();
  for (const QString& folder :
       QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                 QStandardPaths::LocateDirectory)) {
    if (!searchPaths.contains(folder)) searchPaths << folder;
  }
  QIcon::setThemeSearchPaths(searchPaths);
  // Icons a desktop's own theme lacks come from this one. Without a desktop, Qt reports only
  // "hicolor", the base every theme inherits, which holds hardly any icons of its own.
  const QString adwaita = QStringLiteral("Adwaita");
  QIcon::setFallbackThemeName(adwaita);
  const QString current = QIcon::themeName();
  if (current.isEmpty() || current == QStringLiteral("hicolor")) QIcon::setThemeName(adwaita);
}

}  // namespace platform::desktop
