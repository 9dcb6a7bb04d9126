#include "platform/NSUserDefaults.h"

#include <cstdlib>
#include <system_error>
#include <utility>

#include "store/PlistCodec.h"
#include "store/PlistDomainFile.h"

namespace platform {

NSUserDefaults::NSUserDefaults(std::filesystem::path file, LogLine log)
    : log_(log), domain_(std::make_unique<PlistDomainFile>(std::move(file), std::move(log))) {}

NSUserDefaults::~NSUserDefaults() = default;

const std::filesystem::path& NSUserDefaults::file() const { return domain_->file(); }

std::optional<PlistValue> NSUserDefaults::objectForKey(const std::string& key) {
  if (auto waiting = pending_.find(key); waiting != pending_.end()) return waiting->second;
  const auto& contents = domain_->contents();
  auto found = contents.find(key);
  if (found == contents.end()) return std::nullopt;
  return found->second;
}

std::optional<PlistArray> NSUserDefaults::arrayForKey(const std::string& key) {
  auto value = objectForKey(key);
  if (!value || !value->is<PlistArray>()) return std::nullopt;
  return *value->as<PlistArray>();
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
  for (auto& [key, value] : values) pending_[key] = std::move(value);
  flush();
}

void NSUserDefaults::removeObjectForKey(const std::string& key) { change(key, std::nullopt); }

bool NSUserDefaults::synchronize() {
  if (!flush()) return false;
  domain_->contents();
  if (!refused_) return true;
  lastError_ = std::exchange(refused_, std::nullopt);
  return false;
}

void NSUserDefaults::change(const std::string& key, std::optional<PlistValue> value) {
  if (value && !accepts(key, *value)) {
    pending_.erase(key);
    return;
  }
  pending_[key] = std::move(value);
  flush();
}

bool NSUserDefaults::accepts(const std::string& key, const PlistValue& value) {
  // Kept pending, a value the file cannot hold would fail every later write of this domain.
  auto encoded = encodeBinaryPlist(value);
  auto* reason = std::get_if<std::string>(&encoded);
  if (reason == nullptr) return true;
  refused_ = "the setting \"" + key + "\" was not stored: " + *reason;
  if (log_) log_(*refused_);
  lastError_ = refused_;
  return false;
}

bool NSUserDefaults::flush() {
  if (pending_.empty()) return true;
  lastError_ = domain_->write(pending_);
  if (lastError_) {
    // Where nobody acted on the result, this line is what is left to tell of it.
    if (log_) log_("settings not written to " + domain_->file().string() + ": " + *lastError_);
    return false;
  }
  pending_.clear();
  return true;
}

UserDefaultsRoot::UserDefaultsRoot(std::filesystem::path root, NSUserDefaults::LogLine log)
    : root_(std::move(root)), log_(std::move(log)) {}

std::filesystem::path UserDefaultsRoot::defaultRoot() {
  if (const char* home = std::getenv("PLOVANE_HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return std::filesystem::path(data) / "plovane-menu";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / ".local/share/plovane-menu";
}

std::filesystem::path UserDefaultsRoot::fileForDomain(const std::string& domain) const {
  return root_ / "Preferences" / (domain + ".plist");
}

std::shared_ptr<NSUserDefaults> UserDefaultsRoot::initWithSuiteName(const std::string& suiteName) {
  if (suitesUnavailable_) return nullptr;
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
    return nullptr;
  }
  return std::make_shared<NSUserDefaults>(file, log_);
}

}  // namespace platform
