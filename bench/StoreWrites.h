#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/PlistValue.h"
#include "store/PlistDomainFile.h"
#include "support/TemporaryFolder.h"

namespace plovane::bench {

// 16 commands of the kind the Menu Items tab keeps; `firstState` tells two versions apart.
platform::PlistValue commandList(bool firstState = true);

// 1,000 folder entries of the kind the folder tabs keep (about 85 KB binary).
platform::PlistValue folderList(bool firstState = false);

std::vector<std::uint8_t> binaryOf(const platform::PlistValue& value);

// What a store figure writes: one key, and two versions of its value to write in turns, so that
// every write changes the file.
struct StoreSubject {
  std::string key;
  platform::PlistValue values[2];
};

// The 16 commands ("commands") or the 1,000 folders ("folders").
StoreSubject storeSubject(const std::string& key);

// One side of a store figure: writes of a StoreSubject's versions in turns. Each write follows the
// same pause, as a person's changes do: a flush straight after another finds the disk's queue busy
// and costs about half, so without it any work before the flush would count twice. After the pause,
// off the clock, each side makes what it writes, as a program makes a value from the person's
// change just before it stores it.
class TimedWrites {
 public:
  virtual ~TimedWrites() = default;
  // Pauses, makes the next value, writes it; the write's time in microseconds, or a negative
  // number when it failed.
  double next();

 protected:
  // Makes value `index` (0 or 1), then times its write.
  virtual double timeWrite(std::size_t index) = 0;

 private:
  std::size_t written_ = 0;
};

// The store's write of `key`.
class StoreWrites final : public TimedWrites {
 public:
  explicit StoreWrites(StoreSubject subject);

 private:
  double timeWrite(std::size_t index) override;

  testing::TemporaryFolder folder_;
  platform::PlistDomainFile domain_;
  StoreSubject subject_;
};

// The least a durable replace of the same bytes costs: write a temporary file, flush it,
// rename it into place.
class ByteReplaces final : public TimedWrites {
 public:
  explicit ByteReplaces(const StoreSubject& subject);

 private:
  double timeWrite(std::size_t index) override;

  testing::TemporaryFolder folder_;
  std::filesystem::path file_;
  std::string temporary_;
  std::vector<std::uint8_t> bytes_[2];
};

}  // namespace plovane::bench
