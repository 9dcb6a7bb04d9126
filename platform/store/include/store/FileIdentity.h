#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>

namespace platform {

// What tells one version of a store file from the next without reading it: every write replaces
// the file (a new inode) with a new size or time. Taken by the store and by the file-manager
// modules' reader of the stand-in's state, which read a file again only when it changed.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;  // a missing file keeps the default identity
  std::int64_t mtimeNanoseconds = 0;

  static FileIdentity of(const struct stat& status) {
    return {status.st_dev, status.st_ino, status.st_size,
            std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
  }
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

}  // namespace platform
