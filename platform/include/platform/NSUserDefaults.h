#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlistValue.h"

namespace platform {

class PlistDomainFile;
struct ReadHoldState;

// A user-defaults domain backed by its property-list file. Every write goes to the file at
// once (the store's prompt flush), merged key by key with what other processes wrote. A write
// that failed, or a value the file cannot hold (text that is not UTF-8), is dropped: logged,
// never kept for a later write, readers see the stored value again, and the next `synchronize`
// reports it. Kept, a change the person was told was not saved would reach the file with the
// next one that succeeds.
class NSUserDefaults {
 public:
  using LogLine = std::function<void(const std::string&)>;

  // `hold` is shared by the handles of one UserDefaultsRoot (see `UserDefaultsRoot::holdReads`).
  NSUserDefaults(std::filesystem::path file, LogLine log, std::shared_ptr<ReadHoldState> hold);
  ~NSUserDefaults();
  NSUserDefaults(const NSUserDefaults&) = delete;
  NSUserDefaults& operator=(const NSUserDefaults&) = delete;

  std::optional<PlistValue> objectForKey(const std::string& key);
  // The value when it is an array; absent otherwise.
  std::optional<PlistArray> arrayForKey(const std::string& key);

  void setObject(PlistValue value, const std::string& key);
  void setInteger(std::int64_t value, const std::string& key);
  void setBool(bool value, const std::string& key);
  // Key paths are plain keys in this system.
  void setValueForKeyPath(PlistValue value, const std::string& keyPath);
  // Sets every key of `values` in one replace of the file, so that no reader, and no crash
  // between two writes, ever sees some of them without the others. When one value is refused
  // none is set.
  void setValuesForKeysWithDictionary(PlistDictionary values);
  void removeObjectForKey(const std::string& key);

  // Grows whenever the domain's contents were taken anew: another process's write, or one of
  // this object's own. Costs one stat when nothing changed, so a reader can skip its work then.
  std::uint64_t contentsVersion();

  // Re-reads the file; false, with the reason in `lastError`, when a write since the last call
  // failed or was refused.
  bool synchronize();
  // The reason of the last failed write, until a write succeeds.
  const std::optional<std::string>& lastError() const { return lastError_; }

  const std::filesystem::path& file() const;

 private:
  void change(const std::string& key, std::optional<PlistValue> value);
  // False, logged and kept for the next `synchronize`, when the file cannot hold `value`.
  bool accepts(const std::string& key, const PlistValue& value);
  void write(std::map<std::string, std::optional<PlistValue>> changes);
  // The contents as the file holds them, or as this handle last found them while reads are held.
  const PlistDictionary& contents();

  LogLine log_;
  std::unique_ptr<PlistDomainFile> domain_;
  std::shared_ptr<ReadHoldState> hold_;
  // The hold's turn in which this handle last looked at its file.
  std::uint64_t lookedInTurn_ = 0;
  // A failure `synchronize` has not reported yet.
  std::optional<std::string> unreported_;
  std::optional<std::string> lastError_;
};

// A settings file that could not be read, moved aside; its domain starts again empty.
struct SetAsideSettingsFile {
  std::string domain;
  std::filesystem::path path;
};

// While one lives, every handle its root opened looks at its file once, then answers from what
// it found: a request sees one state of the settings, whatever another program writes meanwhile,
// and costs one look at each file however many keys it reads. A write by any of the root's
// handles makes each look again, so this process always reads its own writes.
class ReadHold {
 public:
  explicit ReadHold(std::shared_ptr<ReadHoldState> state);
  ~ReadHold();
  ReadHold(const ReadHold&) = delete;
  ReadHold& operator=(const ReadHold&) = delete;

 private:
  std::shared_ptr<ReadHoldState> state_;
};

// Where the defaults domains live: "<root>/Preferences/<domain>.plist".
class UserDefaultsRoot {
 public:
  UserDefaultsRoot(std::filesystem::path root, NSUserDefaults::LogLine log);

  // Reads held to one state of the settings for as long as the result lives. A hold begun
  // inside another takes the settings anew, for itself and for the rest of the outer one.
  [[nodiscard]] ReadHold holdReads() { return ReadHold(hold_); }

  // $PLOVANE_HOME, else ${XDG_DATA_HOME:-$HOME/.local/share}/plovane-menu.
  static std::filesystem::path defaultRoot();

  // Absent when the suite cannot be opened (its folder cannot be made, or a test said so).
  std::shared_ptr<NSUserDefaults> initWithSuiteName(const std::string& suiteName);
  // The program's own domain, named by its bundle identifier.
  std::shared_ptr<NSUserDefaults> standardUserDefaults(const std::string& bundleIdentifier);

  // Why the last domain asked for could not be opened; absent once one opens.
  const std::optional<std::string>& openError() const { return openError_; }
  // The settings files moved aside, by any program, that no one took yet: each is given once.
  std::vector<SetAsideSettingsFile> takeSetAsideFiles();

  void setSuitesUnavailable(bool unavailable) { suitesUnavailable_ = unavailable; }
  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path fileForDomain(const std::string& domain) const;

 private:
  std::shared_ptr<NSUserDefaults> open(const std::string& domain);

  std::filesystem::path root_;
  NSUserDefaults::LogLine log_;
  bool suitesUnavailable_ = false;
  std::optional<std::string> openError_;
  std::map<std::string, std::shared_ptr<NSUserDefaults>> standardDomains_;
  std::shared_ptr<ReadHoldState> hold_;
};

}  // namespace platform
