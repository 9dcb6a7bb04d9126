#include "platform/NSURL.h"

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

}  // namespace platform
