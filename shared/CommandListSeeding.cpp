#include "shared/CommandListSeeding.h"

#include <utility>

#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

using platform::NSUserDefaults;
using platform::PlistArray;
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

void writeList(NSUserDefaults* store, const CommandList& list) {
  writeObject(store, storedCommandList(list), keys::menuArrayDic);
  synchronize(store);
}

CommandList migrateLegacyFlags(NSUserDefaults* store) {
  const auto flags = migratedFlags(store);
  writeLegacyFlags(store, PlistArray(flags.begin(), flags.end()));
  CommandList list;
  for (std::size_t position = 0; position < kCatalogueSize; ++position) {
    list.push_back({kCatalogueTitles[position], flags[position] == 1});
  }
  writeList(store, list);
  return list;
}

CommandList writeFreshList(NSUserDefaults* store) {
  CommandList list;
  for (const char* title : kCatalogueTitles) list.push_back({title, true});
  writeList(store, list);
  return list;
}

}  // namespace

CommandList seedCommandList(NSUserDefaults* sharedDefaults,
                            const std::optional<std::string>& shortVersion) {
  if (shortVersion == kLegacyVersion) {
    runLegacyMode(sharedDefaults);
    return {};
  }
  auto stored = readObject(sharedDefaults, keys::menuArrayDic);
  if (!stored && readObject(sharedDefaults, keys::save14))
    return migrateLegacyFlags(sharedDefaults);
  if (stored) {
    if (auto list = readCommandList(*stored)) return std::move(*list);
  }
  return writeFreshList(sharedDefaults);
}

std::optional<CommandList> readStoredCommandList(NSUserDefaults* sharedDefaults) {
  auto stored = readObject(sharedDefaults, keys::menuArrayDic);
  if (!stored) return std::nullopt;
  return readCommandList(*stored);
}

}  // namespace plovane
