#include "protocol/InsideFolder.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace platform::protocol {

std::string normalisedPath(std::string_view path) {
  if (path.empty()) return {};
  std::string absolute(path);
  if (path.front() != '/') {
    std::error_code error;
    const auto here = std::filesystem::current_path(error);
    if (error) return {};
    absolute = here.string() + "/" + absolute;
  }
  std::vector<std::string_view> components;
  std::string_view rest = absolute;
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view component = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      if (!components.empty()) components.pop_back();
      continue;
    }
    components.push_back(component);
  }
  if (components.empty()) return "/";
  std::string normal;
  for (const auto component : components) {
    normal += '/';
    normal += component;
  }
  return normal;
}

namespace {

// Both already normalised.
bool isBelowOrAt(const std::string& base, const std::string& path) {
  if (base.empty() || path.empty()) return false;
  if (base == "/" || path == base) return true;
  return path.size() > base.size() && path.starts_with(base) && path[base.size()] == '/';
}

}  // namespace

bool isInsideFolder(std::string_view folder, std::string_view item) {
  return isBelowOrAt(normalisedPath(folder), normalisedPath(item));
}

std::string resolvedPath(std::string_view path) {
  if (path.empty()) return {};
  std::error_code error;
  // Made absolute without normalising: "link/.." is the link target's parent, not the link's.
  const auto absolute = std::filesystem::absolute(std::filesystem::path(path), error);
  if (error) return {};
  const auto resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? std::string() : normalisedPath(resolved.string());
}

bool isInsideAnyFolder(std::span<const std::string> folders, std::string_view item) {
  const std::string path = normalisedPath(item);
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
    return isBelowOrAt(normalisedPath(folder), path);
  });
}

bool actsInsideAnyFolder(std::span<const std::string> folders, std::string_view item) {
  if (!isInsideAnyFolder(folders, item)) return false;
  const std::string resolved = resolvedPath(item);
  return !resolved.empty() && std::any_of(folders.begin(), folders.end(), [&](const auto& folder) {
    return isBelowOrAt(resolvedPath(folder), resolved);
  });
}

}  // namespace platform::protocol
