#include "store/PlistDomainFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <span>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "store/PlistCodec.h"
#include "store/SetAsideRecord.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

std::string describe(const std::string& action, const fs::path& path, int error) {
  return action + " " + path.string() + ": " + std::generic_category().message(error);
}

std::string utcStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
  return text;
}

// Never replaces an existing file: a copy set aside earlier must survive.
int renameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // The file system cannot do it atomically; we hold the domain's lock, so check then rename.
  struct stat existing {};
  if (::lstat(to.c_str(), &existing) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.c_str(), to.c_str());
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// A temporary file that is removed unless it was renamed into place.
struct TempFile {
  Fd fd;
  fs::path path;
  bool committed = false;
  ~TempFile() {
    if (!committed && !path.empty()) ::unlink(path.c_str());
  }
};

// What a changed key held before a write, to put back when the write fails.
using Undo = std::vector<std::pair<std::string, std::optional<PlistValue>>>;

// True when `existing`, the changed key's entry in `entries` or their end, already is what the
// change gives the key: that value, or no entry.
bool alreadyHeld(const PlistDictionary& entries, PlistDictionary::const_iterator existing,
                 const std::optional<PlistValue>& value) {
  return value ? existing != entries.end() && existing->second == *value
               : existing == entries.end();
}

// Moves `changes` into `entries`; empty when none of them changed anything.
Undo applyChanges(PlistDictionary& entries, PlistChanges&& changes) {
  Undo undo;
  for (auto& [key, value] : changes) {
    const auto existing = entries.find(key);
    if (alreadyHeld(entries, existing, value)) continue;
    if (value) {
      if (existing == entries.end()) {
        undo.emplace_back(key, std::nullopt);
        entries.emplace(key, std::move(*value));
      } else {
        undo.emplace_back(key, std::exchange(existing->second, std::move(*value)));
      }
    } else {
      undo.emplace_back(key, std::move(existing->second));
      entries.erase(existing);
    }
  }
  return undo;
}

void undoChanges(PlistDictionary& entries, Undo&& undo) {
  for (auto& [key, value] : undo) {
    if (value) {
      entries.insert_or_assign(key, std::move(*value));
    } else {
      entries.erase(key);
    }
  }
}

}  // namespace

struct PlistDomainFile::Snapshot {
  enum class Kind { Missing, Loaded, Bad, Failed };
  Kind kind = Kind::Missing;
  FileIdentity identity;
  mode_t mode = 0600;
  PlistDictionary contents;
  std::string message;  // Bad: why the file is unusable; Failed: the I/O error.
};

struct PlistDomainFile::Io {
  // The identity of what is at `file` now, the default one when nothing is; nullopt, with errno
  // set, when it cannot be examined.
  static std::optional<FileIdentity> identityNow(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) return FileIdentity::of(st);
    if (errno == ENOENT || errno == ENOTDIR) return FileIdentity{};
    return std::nullopt;
  }

  // What is at `file` now, without reading it: its identity and mode, Missing, or Failed
  // (without a message; `read` says why) when it is no regular file that can be examined.
  static Snapshot examine(const fs::path& file) {
    Snapshot snapshot;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
      if (errno != ENOENT && errno != ENOTDIR) snapshot.kind = Snapshot::Kind::Failed;
      return snapshot;
    }
    if (!S_ISREG(st.st_mode)) {
      snapshot.kind = Snapshot::Kind::Failed;
      return snapshot;
    }
    snapshot.kind = Snapshot::Kind::Loaded;
    snapshot.identity = FileIdentity::of(st);
    snapshot.mode = st.st_mode & 07777;
    return snapshot;
  }

  static Snapshot read(const fs::path& file) {
    Snapshot snapshot;
    // Non-blocking so that a FIFO placed at the path cannot hang us.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
      if (errno != ENOENT && errno != ENOTDIR) {
        snapshot.kind = Snapshot::Kind::Failed;
        snapshot.message = describe("cannot open", file, errno);
      }
      return snapshot;
    }
    // Closed before we return: holding a file that is then replaced makes its final close
    // pay for freeing it (milliseconds on ext4).
    Fd held(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      snapshot.kind = Snapshot::Kind::Failed;
      snapshot.message = describe("cannot examine", file, errno);
      return snapshot;
    }
    if (!S_ISREG(st.st_mode)) {
      snapshot.kind = Snapshot::Kind::Failed;
      snapshot.message = file.string() + " is not a regular file";
      return snapshot;
    }
    snapshot.identity = FileIdentity::of(st);
    snapshot.mode = st.st_mode & 07777;
    snapshot.kind = Snapshot::Kind::Bad;
    if (st.st_size > static_cast<off_t>(kMaxPlistFileBytes)) {
      snapshot.message = "larger than 1 MiB";
      return snapshot;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    // Read one byte past the limit to notice a file that grew after fstat.
    while (used <= kMaxPlistFileBytes) {
      if (used == bytes.size()) bytes.resize(std::min(bytes.size() * 2, kMaxPlistFileBytes + 1));
      const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
      if (got < 0) {
        if (errno == EINTR) continue;
        snapshot.kind = Snapshot::Kind::Failed;
        snapshot.message = describe("cannot read", file, errno);
        return snapshot;
      }
      if (got == 0) break;
      used += static_cast<std::size_t>(got);
    }
    held.reset();
    if (used > kMaxPlistFileBytes) {
      snapshot.message = "larger than 1 MiB";
      return snapshot;
    }
    bytes.resize(used);
    auto decoded = decodePlist(bytes);
    if (auto* error = std::get_if<PlistDecodeError>(&decoded)) {
      snapshot.message = std::move(error->reason);
      return snapshot;
    }
    auto* dictionary = std::get<PlistValue>(decoded).as<PlistDictionary>();
    if (dictionary == nullptr) {
      snapshot.message = "the root is not a dictionary";
      return snapshot;
    }
    snapshot.kind = Snapshot::Kind::Loaded;
    snapshot.contents = std::move(*dictionary);
    return snapshot;
  }

  // Takes the domain's exclusive lock; released when the descriptor closes.
  static std::variant<Fd, std::string> lock(const fs::path& file) {
    fs::path lockPath = file;
    lockPath += ".lock";
    // Open before creating: O_CREAT on someone else's file in a sticky folder is refused.
    // Non-blocking, so that a FIFO at the path is refused below instead of hanging us.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(lockPath.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT) fd = ::open(lockPath.c_str(), kFlags | O_CREAT, 0600);
    if (fd < 0) return describe("cannot open lock file", lockPath, errno);
    Fd held(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return describe("cannot examine lock file", lockPath, errno);
    if (!S_ISREG(st.st_mode)) return "lock file " + lockPath.string() + " is not a regular file";
    while (::flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) return describe("cannot lock", lockPath, errno);
    }
    return held;
  }

  // Temporary files are made only under the lock, so any found while holding it were left by
  // a writer that died before its rename. Every write looks, so the folder is read into a buffer
  // on the stack: a listing's buffer from the heap would have the allocator merge, in the middle
  // of this write, all the small blocks the value the last write replaced had freed.
  static void removeStaleTemporaries(const fs::path& folder, const fs::path& file) {
    const std::string prefix = file.filename().string() + ".tmp-";
    const Fd listing(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listing.get() < 0) return;
    alignas(dirent64) char entries[4096];
    for (ssize_t size; (size = ::getdents64(listing.get(), entries, sizeof entries)) > 0;) {
      for (ssize_t at = 0; at < size;) {
        const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
        at += entry->d_reclen;
        const std::string_view name(entry->d_name);
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
          ::unlinkat(listing.get(), entry->d_name, 0);
      }
    }
  }

  // Writes `bytes` to a temporary file and renames it over `file`, which `base` describes as it
  // was under the lock. Returns the identity of the file now in place.
  static std::variant<FileIdentity, std::string> replace(const fs::path& file,
                                                         std::span<const std::uint8_t> bytes,
                                                         const Snapshot& base) {
    std::string pattern = file.string() + ".tmp-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return describe("cannot create a temporary file for", file, errno);
    TempFile temp{Fd(fd), fs::path(pattern)};
    if (base.mode != 0600 && ::fchmod(fd, base.mode) != 0) {
      return describe("cannot set the mode of", temp.path, errno);
    }
    if (!writeAll(fd, bytes)) return describe("cannot write", temp.path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return describe("cannot examine", temp.path, errno);
    // File systems reuse a freed inode number at once, and a coarse clock can give two replaces
    // the same time; a strictly later time keeps an earlier identity from coming back.
    if (base.kind == Snapshot::Kind::Loaded &&
        FileIdentity::of(st).mtimeNanoseconds <= base.identity.mtimeNanoseconds) {
      const std::int64_t later = base.identity.mtimeNanoseconds + 1;
      const timespec times[2] = {{0, UTIME_OMIT}, {later / 1'000'000'000, later % 1'000'000'000}};
      if (::futimens(fd, times) != 0 || ::fstat(fd, &st) != 0) {
        return describe("cannot set the time of", temp.path, errno);
      }
    }
    if (::fsync(fd) != 0) return describe("cannot flush", temp.path, errno);
    if (::rename(temp.path.c_str(), file.c_str()) != 0) {
      return describe("cannot replace", file, errno);
    }
    temp.committed = true;
    return FileIdentity::of(st);
  }
};

PlistDomainFile::PlistDomainFile(fs::path file, LogLine log)
    : file_(std::move(file)), log_(std::move(log)) {}

void PlistDomainFile::adopt(Snapshot&& snapshot) {
  contentsAreTheFile_ = snapshot.kind != Snapshot::Kind::Bad;
  contents_ = std::move(snapshot.contents);
  loadedIdentity_ = snapshot.identity;
  ++generation_;
  lastReadError_.clear();
}

void PlistDomainFile::reportReadError(const std::string& message) {
  if (message == lastReadError_) return;
  lastReadError_ = message;
  if (log_) log_(message);
}

std::optional<std::string> PlistDomainFile::setAsideLocked(Snapshot& snapshot) {
  fs::path stamped = file_;
  stamped += ".corrupt-";
  stamped += utcStamp();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path target = stamped;
    if (attempt > 0) {
      target += "-";
      target += std::to_string(attempt);
    }
    if (renameNoReplace(file_, target) == 0) {
      if (log_) {
        log_(file_.string() + " is unusable (" + snapshot.message + "); moved it aside to " +
             target.string());
      }
      // Recorded so that the person hears of it, whichever program moved it.
      if (auto error = recordSetAside(target.parent_path(), target.filename().string());
          error && log_) {
        log_(*error);
      }
      snapshot = Snapshot{};
      return std::nullopt;
    }
    if (errno != EEXIST) {
      return file_.string() + " is unusable (" + snapshot.message + ") and " +
             describe("could not be moved aside to", target, errno);
    }
  }
  return file_.string() + " is unusable (" + snapshot.message + ") and no free name was found";
}

const PlistDictionary& PlistDomainFile::contents() {
  const auto now = Io::identityNow(file_);
  if (!now) {
    reportReadError(describe("cannot examine", file_, errno));
    return contents_;
  }
  if (loadedIdentity_ == now) return contents_;

  Snapshot snapshot = Io::read(file_);
  if (snapshot.kind == Snapshot::Kind::Bad) {
    // Only under the lock: a writer may have replaced the file since we read it.
    auto lock = Io::lock(file_);
    if (auto* error = std::get_if<std::string>(&lock)) {
      if (log_) log_(file_.string() + " is unusable (" + snapshot.message + "); " + *error);
    } else {
      snapshot = Io::read(file_);
      if (snapshot.kind == Snapshot::Kind::Bad) {
        // When it cannot be moved the domain still reads as empty, and the identity we
        // remember keeps this from being reported again.
        if (auto failure = setAsideLocked(snapshot); failure && log_) log_(*failure);
      }
    }
  }
  if (snapshot.kind == Snapshot::Kind::Failed) {
    reportReadError(snapshot.message);
    return contents_;
  }
  snapshot.contents =
      snapshot.kind == Snapshot::Kind::Loaded ? std::move(snapshot.contents) : PlistDictionary{};
  adopt(std::move(snapshot));
  return contents_;
}

bool PlistDomainFile::holdsAlready(const PlistChanges& changes) const {
  if (!contentsAreTheFile_ || !loadedIdentity_ || Io::identityNow(file_) != loadedIdentity_) {
    return false;
  }
  return std::all_of(changes.begin(), changes.end(), [this](const auto& change) {
    return alreadyHeld(contents_, contents_.find(change.first), change.second);
  });
}

std::optional<std::string> PlistDomainFile::write(PlistChanges changes) {
  // A program writes its defaults at every start; values the file holds already need no lock.
  if (changes.empty() || holdsAlready(changes)) return std::nullopt;
  const fs::path folder = file_.parent_path().empty() ? fs::path(".") : file_.parent_path();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return "cannot create folder " + folder.string() + ": " + ec.message();

  auto lock = Io::lock(file_);
  if (auto* error = std::get_if<std::string>(&lock)) return *error;
  Io::removeStaleTemporaries(folder, file_);

  // Still the file this object last read or wrote: its contents are here already, and decoding
  // it again would only repeat them.
  Snapshot base = Io::examine(file_);
  const bool cached = base.kind != Snapshot::Kind::Failed && contentsAreTheFile_ &&
                      loadedIdentity_ == base.identity;
  if (!cached) {
    base = Io::read(file_);
    if (base.kind == Snapshot::Kind::Failed) return base.message;
    if (base.kind == Snapshot::Kind::Bad) {
      if (auto error = setAsideLocked(base)) return error;
    }
  }

  PlistDictionary& entries = cached ? contents_ : base.contents;
  auto undo = applyChanges(entries, std::move(changes));
  if (undo.empty()) {
    if (!cached) adopt(std::move(base));
    return std::nullopt;
  }

  PlistValue next(std::move(entries));
  auto encoded = encoder_.encode(next);
  entries = std::move(*next.as<PlistDictionary>());
  std::variant<FileIdentity, std::string> replaced = std::string();
  if (auto* error = std::get_if<std::string>(&encoded)) {
    replaced = "cannot save " + file_.string() + ": " + *error;
  } else {
    replaced = Io::replace(file_, std::get<std::span<const std::uint8_t>>(encoded), base);
  }
  if (auto* error = std::get_if<std::string>(&replaced)) {
    // A write that failed is dropped: the domain reads as the file still is.
    undoChanges(entries, std::move(undo));
    return *error;
  }

  Snapshot written;
  written.kind = Snapshot::Kind::Loaded;
  written.identity = std::get<FileIdentity>(replaced);
  written.contents = std::move(entries);
  // The folder is not flushed: the new file was flushed before its rename, so a power cut leaves
  // the old contents or the new, never a mix, and flushing the folder too doubled every write.
  adopt(std::move(written));
  return std::nullopt;
}

}  // namespace platform
