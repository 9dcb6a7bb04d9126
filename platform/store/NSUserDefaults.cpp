#include "platform/NSUserDefaults.h"

#include <system_error>
#include <utility>

#include "protocol/SettingsRoot.h"
#include "store/PlistCodec.h"
#include "store/PlistDomainFile.h"
#include "store/SetAsideRecord.h"

namespace platform {

struct ReadHoldState {
  int holders = 0;
  // Grows when any hold begins and with every write, so that each handle looks again.
  std::uint64_t turn = 0;
};

// A hold inside another, as a call answered while a dialog waits, looks again too.
ReadHold::ReadHold(std::shared_ptr<ReadHoldState> state) : state_(std::move(state)) {
  ++state_->holders;
  ++state_->turn;
}

ReadHold::~ReadHold() { --state_->holders; }

NSUserDefaults::NSUserDefaults(std::filesystem::path file, LogLine log,
                               std::shared_ptr<ReadHoldState> hold)
    : log_(log),
      domain_(std::make_unique<PlistDomainFile>(std::move(file), std::move(log))),
      hold_(std::move(hold)) {}

NSUserDefaults::~NSUserDefaults() = default;

const std::filesystem::path& NSUserDefaults::file() const { return domain_->file(); }

const PlistDictionary& NSUserDefaults::contents() {
  if (hold_->holders > 0 && lookedInTurn_ == hold_->turn) return domain_->lastContents();
  lookedInTurn_ = hold_->turn;
  return domain_->contents();
}

std::optional<PlistValue> NSUserDefaults::objectForKey(const std::string& key) {
  const auto& current = contents();
  auto found = current.find(key);
  if (found == current.end()) return std::nullopt;
  return found->second;
}

std::optional<PlistArray> NSUserDefaults::arrayForKey(const std::string& key) {
  auto value = objectForKey(key);
  if (!value || !value->is<PlistArray>()) return std::nullopt;
  return *value->as<PlistArray>();
}

std::uint64_t NSUserDefaults::contentsVersion() {
  contents();
  return domain_->generation();
}

void NSUserDefaults::setObject(PlistValue value, const std::string& key) {
  change(key, std::move(value));
}

void NSUserDefaults::setInteger(std::int64_t value, const std::string& key) {
  change(key, PlistValue(value));
}

void NSUserDefaults::setBool(bool value, const std::string& key) { change(key, PlistValue(value)); }

void NSUserDefaults::setValueForKeyPath(PlistValue value, const std::string& keyPath) {
  change(keyPath, std::move(value));
}

void NSUserDefaults::setValuesForKeysWithDictionary(PlistDictionary values) {
  for (const auto& [key, value] : values) {
    if (!accepts(key, value)) return;
  }
  PlistChanges changes;
  for (auto& [key, value] : values) changes.emplace(key, std::move(value));
  write(std::move(changes));
}

void NSUserDefaults::removeObjectForKey(const std::string& key) { change(key, std::nullopt); }

bool NSUserDefaults::synchronize() {
  domain_->contents();
  if (!unreported_) return true;
  lastError_ = std::exchange(unreported_, std::nullopt);
  return false;
}

void NSUserDefaults::change(const std::string& key, std::optional<PlistValue> value) {
  if (value && !accepts(key, *value)) return;
  write({{key, std::move(value)}});
}

bool NSUserDefaults::accepts(const std::string& key, const PlistValue& value) {
  const auto reason = whyPlistCannotBeStored(value);
  if (!reason) return true;
  lastError_ = "the setting \"" + key + "\" was not stored: " + *reason;
  if (log_) log_(*lastError_);
  unreported_ = lastError_;
  return false;
}

void NSUserDefaults::write(PlistChanges changes) {
  ++hold_->turn;
  lastError_ = domain_->write(std::move(changes));
  if (!lastError_) return;
  unreported_ = lastError_;
  // Where nobody acted on the result, this line is what is left to tell of it.
  if (log_) log_("settings not written to " + domain_->file().string() + ": " + *lastError_);
}

UserDefaultsRoot::UserDefaultsRoot(std::filesystem::path root, NSUserDefaults::LogLine log)
    : root_(std::move(root)), log_(std::move(log)), hold_(std::make_shared<ReadHoldState>()) {}

std::filesystem::path UserDefaultsRoot::defaultRoot() { return protocol::settingsRoot(); }

std::filesystem::path UserDefaultsRoot::fileForDomain(const std::string& domain) const {
  return root_ / "Preferences" / (domain + ".plist");
}

std::shared_ptr<NSUserDefaults> UserDefaultsRoot::initWithSuiteName(const std::string& suiteName) {
  if (suitesUnavailable_) {
    openError_ = "the shared settings " + suiteName + " are not available";
    return nullptr;
  }
  return open(suiteName);
}

std::shared_ptr<NSUserDefaults> UserDefaultsRoot::standardUserDefaults(
    const std::string& bundleIdentifier) {
  auto& domain = standardDomains_[bundleIdentifier];
  if (!domain) domain = open(bundleIdentifier);
  return domain;
}

std::shared_ptr<NSUserDefaults> UserDefaultsRoot::open(const std::string& domain) {
  const auto file = fileForDomain(domain);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    log_("Cannot open defaults domain " + domain + " in " + file.parent_path().string() + ": " +
         error.message());
    openError_ = "the settings folder " + file.parent_path().string() +
                 " cannot be made: " + error.message();
    return nullptr;
  }
  openError_.reset();
  return std::make_shared<NSUserDefaults>(file, log_, hold_);
}

std::vector<SetAsideSettingsFile> UserDefaultsRoot::takeSetAsideFiles() {
  const auto folder = root_ / "Preferences";
  std::vector<SetAsideSettingsFile> files;
  for (auto& name : takeSetAside(folder)) {
    // "<domain>.plist.corrupt-<UTC time>", as PlistDomainFile names it.
    const auto end = name.find(".plist.corrupt-");
    if (end == std::string::npos || end == 0) continue;
    files.push_back({name.substr(0, end), folder / name});
  }
  return files;
}

}  // namespace platform
