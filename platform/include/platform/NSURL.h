#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// A file URL: an absolute path without trailing slash (the root stays "/").
class NSURL {
 public:
  static NSURL fileURLWithPath(const std::string& path);

  const std::string& path() const { return path_; }
  // "file://" and the path's bytes, percent-encoded where a URI needs it: exact for any name,
  // also one that is not UTF-8.
  std::string absoluteString() const;
  std::string lastPathComponent() const;
  // The text after the last full stop of the last component; empty when there is none or
  // the name starts with its only full stop (".profile").
  std::string pathExtension() const;
  NSURL URLByDeletingLastPathComponent() const;
  NSURL URLByAppendingPathComponent(const std::string& component) const;

  friend bool operator==(const NSURL&, const NSURL&) = default;
  friend auto operator<=>(const NSURL&, const NSURL&) = default;

 private:
  explicit NSURL(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace platform

template <>
struct std::hash<platform::NSURL> {
  std::size_t operator()(const platform::NSURL& url) const noexcept {
    return std::hash<std::string>{}(url.path());
  }
};
