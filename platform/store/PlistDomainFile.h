#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/PlistValue.h"
#include "store/FileIdentity.h"
#include "store/PlistCodec.h"

namespace platform {

// Key changes to apply in one write: a value replaces the key's whole value, nullopt removes it.
using PlistChanges = std::map<std::string, std::optional<PlistValue>>;

// One user-defaults domain kept as a binary property-list file that other processes (and any
// plist tool) may read and write at the same time.
//
// Reads re-load the file only when its identity (device, inode, size, mtime) changed. Writes
// take an exclusive flock on "<file>.lock" (which must be a regular file), re-read the file
// unless its identity is still the one this object last read or wrote, apply only the given keys
// and replace the file atomically, so writers of different keys never lose each other's keys;
// all keys of one write land together; a write that changes nothing in the file as last read
// takes no lock. Temporary files that a killed writer left are removed by the next write.
// A file that cannot be parsed, is larger than 1 MiB (also once the values it shares are
// expanded, see kMaxPlistExpandedBytes) or nests deeper than 32 levels is moved aside as
// "<file>.corrupt-<UTC time>" and the domain starts empty; `log` gets one line naming both files,
// and the move is recorded for the settings app to tell (SetAsideRecord).
//
// Not thread-safe; use one object per thread or guard it.
class PlistDomainFile {
 public:
  using LogLine = std::function<void(const std::string&)>;

  PlistDomainFile(std::filesystem::path file, LogLine log);

  // The domain's contents as last written by anyone.
  const PlistDictionary& contents();
  // The contents as last taken, without looking at the file.
  const PlistDictionary& lastContents() const { return contents_; }
  // Grows each time the contents were taken anew (read from the file or written); with
  // `contents()` first it tells whether anything changed since a reader last looked.
  std::uint64_t generation() const { return generation_; }

  // Applies `changes` under the lock. Returns an error description on failure; the file is
  // then left as it was and no temporary file remains.
  std::optional<std::string> write(PlistChanges changes);

  const std::filesystem::path& file() const { return file_; }

 private:
  struct Snapshot;
  struct Io;

  // True when the file is still the one last read or written and `changes` change nothing in it.
  bool holdsAlready(const PlistChanges& changes) const;
  void adopt(Snapshot&& snapshot);
  std::optional<std::string> setAsideLocked(Snapshot& snapshot);
  void reportReadError(const std::string& message);

  std::filesystem::path file_;
  LogLine log_;
  std::optional<FileIdentity> loadedIdentity_;
  // False while contents_ stand for a file that was unusable and stayed in place: a write must
  // then read it again instead of merging into the empty domain.
  bool contentsAreTheFile_ = false;
  PlistDictionary contents_;
  std::uint64_t generation_ = 0;
  std::string lastReadError_;
  BinaryPlistEncoder encoder_;
};

}  // namespace platform
