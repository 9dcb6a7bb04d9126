#include "shared/CommandListSeeding.h"

#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

using platform::NSUserDefaults;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

PlistArray allShownFlags() { return PlistArray(kCatalogueSize, PlistValue(1)); }

void writeLegacyFlags(NSUserDefaults* store, PlistArray flags) {
  writeObject(store, std::move(flags), keys::save14);
  synchronize(store);
}

void runLegacyMode(NSUserDefaults* store) {
  auto stored = readObject(store, keys::save14);
  if (stored) {
    const auto* flags = stored->as<PlistArray>();
    // A value that is no list at all is as unusable as one of the wrong length.
    if (flags == nullptr || flags->size() != kCatalogueSize)
      writeLegacyFlags(store, allShownFlags());
    return;
  }
  writeLegacyFlags(store, allShownFlags());
}

// The old flags, one integer per position; an entry that is not an integer counts as hidden.
std::vector<std::int64_t> migratedFlags(NSUserDefaults* store) {
  std::vector<std::int64_t> flags;
  for (const auto& flag : readIntegerElements(store, keys::save14)
                              .value_or(std::vector<std::optional<std::int64_t>>{})) {
    flags.push_back(flag.value_or(0));
  }
  // A list as long as the catalogue or longer is discarded, one of exactly sixteen too.
  if (flags.size() >= kCatalogueSize) flags.clear();
  flags.resize(kCatalogueSize, 1);
  return flags;
}

PlistArray migrateLegacyFlags(NSUserDefaults* store) {
  const auto flags = migratedFlags(store);
  writeLegacyFlags(store, PlistArray(flags.begin(), flags.end()));
  PlistArray list;
  for (std::size_t position = 0; position < kCatalogueSize; ++position) {
    list.push_back(
        PlistDictionary{{"title", kCatalogueTitles[position]}, {"state", flags[position] == 1}});
  }
  writeObject(store, list, keys::menuArrayDic);
  synchronize(store);
  return list;
}

bool isListOfDictionaries(const PlistValue& value) {
  const auto* list = value.as<PlistArray>();
  if (list == nullptr) return false;
  for (const auto& entry : *list) {
    if (!entry.is<PlistDictionary>()) return false;
  }
  return true;
}

PlistArray writeFreshList(NSUserDefaults* store) {
  PlistArray list;
  for (const char* title : kCatalogueTitles) {
    list.push_back(PlistDictionary{{"title", title}, {"state", true}});
  }
  writeObject(store, list, keys::menuArrayDic);
  synchronize(store);
  return list;
}

}  // namespace

PlistArray seedCommandList(NSUserDefaults* sharedDefaults,
                           const std::optional<std::string>& shortVersion) {
  if (shortVersion == kLegacyVersion) {
    runLegacyMode(sharedDefaults);
    return {};
  }
  auto stored = readObject(sharedDefaults, keys::menuArrayDic);
  if (!stored && readObject(sharedDefaults, keys::save14))
    return migrateLegacyFlags(sharedDefaults);
  if (stored && isListOfDictionaries(*stored)) return *stored->as<PlistArray>();
  return writeFreshList(sharedDefaults);
}

std::optional<PlistArray> readStoredCommandList(NSUserDefaults* sharedDefaults) {
  auto stored = readObject(sharedDefaults, keys::menuArrayDic);
  if (!stored || !isListOfDictionaries(*stored)) return std::nullopt;
  return *stored->as<PlistArray>();
}

}  // namespace plovane
