#include "platform/NSURL.h"

#include <string_view>

namespace platform {

NSURL NSURL::fileURLWithPath(const std::string& path) {
  std::string clean = path.empty() ? "/" : path;
  while (clean.size() > 1 && clean.back() == '/') clean.pop_back();
  return NSURL(clean);
}

std::string NSURL::lastPathComponent() const {
  if (path_ == "/") return "/";
  return path_.substr(path_.rfind('/') + 1);
}

std::string NSURL::pathExtension() const {
  const std::string name = lastPathComponent();
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return name.substr(dot + 1);
}

NSURL NSURL::URLByDeletingLastPathComponent() const {
  const auto slash = path_.rfind('/');
  if (slash == std::string::npos || slash == 0) return NSURL("/");
  return NSURL(path_.substr(0, slash));
}

NSURL NSURL::URLByAppendingPathComponent(const std::string& component) const {
  return fileURLWithPath(path_ == "/" ? "/" + component : path_ + "/" + component);
}

std::string NSURL::absoluteString() const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path_) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') ||
                       std::string_view("/-._~").find(c) != std::string_view::npos;
    if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0x0F];
    }
  }
  return uri;
}

}  // namespace platform
