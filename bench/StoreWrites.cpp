#include "bench/StoreWrites.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>
#include <variant>

#include "bench/Elapsed.h"
#include "store/PlistCodec.h"

namespace plovane::bench {

using platform::PlistArray;
using platform::PlistData;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

constexpr auto kPauseBeforeWrite = std::chrono::milliseconds(20);

}  // namespace

PlistValue commandList(bool firstState) {
  PlistArray commands;
  for (int i = 0; i < 16; ++i) {
    PlistDictionary entry;
    entry["title"] = PlistValue("Command number " + std::to_string(i));
    entry["state"] = PlistValue(i == 0 ? firstState : i % 2 == 0);
    commands.emplace_back(std::move(entry));
  }
  return commands;
}

PlistValue folderList(bool firstState) {
  PlistArray folders;
  for (int i = 0; i < 1000; ++i) {
    PlistDictionary entry;
    entry["path"] = PlistValue("/home/someone/Projects/folder number " + std::to_string(i));
    entry["state"] = PlistValue(i == 0 ? firstState : i % 3 != 0);
    entry["order"] = PlistValue(i);
    entry["bookmark"] = PlistValue(PlistData(40, static_cast<std::uint8_t>(i)));
    folders.emplace_back(std::move(entry));
  }
  return PlistDictionary{{"folders", folders}};
}

std::vector<std::uint8_t> binaryOf(const PlistValue& value) {
  auto encoded = platform::encodeBinaryPlist(value);
  auto* bytes = std::get_if<std::vector<std::uint8_t>>(&encoded);
  return bytes != nullptr ? *bytes : std::vector<std::uint8_t>{};
}

StoreSubject storeSubject(const std::string& key) {
  if (key == "commands") return {key, {commandList(true), commandList(false)}};
  const auto versionOf = [](bool firstState) {
    return folderList(firstState).as<PlistDictionary>()->begin()->second;
  };
  return {key, {versionOf(true), versionOf(false)}};
}

double TimedWrites::next() {
  std::this_thread::sleep_for(kPauseBeforeWrite);
  return timeWrite(written_++ % 2);
}

StoreWrites::StoreWrites(StoreSubject subject)
    : domain_(folder_.path() / "suite.plist", nullptr), subject_(std::move(subject)) {}

double StoreWrites::timeWrite(std::size_t index) {
  platform::PlistChanges changes{{subject_.key, subject_.values[index]}};
  const auto start = std::chrono::steady_clock::now();
  if (domain_.write(std::move(changes))) return -1;
  return elapsedMicroseconds(start);
}

ByteReplaces::ByteReplaces(const StoreSubject& subject)
    : file_(folder_.path() / "suite.plist"),
      temporary_(file_.string() + ".tmp"),
      bytes_{binaryOf(PlistDictionary{{subject.key, subject.values[0]}}),
             binaryOf(PlistDictionary{{subject.key, subject.values[1]}})} {}

double ByteReplaces::timeWrite(std::size_t index) {
  const std::vector<std::uint8_t> next = bytes_[index];
  const auto start = std::chrono::steady_clock::now();
  const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const bool done = fd >= 0 &&
                    ::write(fd, next.data(), next.size()) == static_cast<ssize_t>(next.size()) &&
                    ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  if (!done || ::rename(temporary_.c_str(), file_.c_str()) != 0) return -1;
  return elapsedMicroseconds(start);
}

}  // namespace plovane::bench
