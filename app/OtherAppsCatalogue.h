#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/NSBundle.h"
#include "platform/NSImage.h"

namespace plovane::app {

// A value of a catalogue row: a text, or the app's icon.
using OtherAppValue = std::variant<std::string, platform::NSImage>;
// A catalogue row under the keys "Title", "description", "icon", "apppath" (the app's store
// page) and "category"; a row whose icon is missing from the assets has no "icon".
using OtherAppRow = std::map<std::string, OtherAppValue>;

// An app of the maker's catalogue and where it lies once installed.
struct OtherApp {
  OtherAppRow row;
  std::string installPath;
};

inline constexpr std::size_t kOtherAppCount = 17;
inline constexpr std::size_t kPromoOrderCount = 9;
// A promo order: every entry number from 1 to kOtherAppCount once.
using PromoOrder = std::array<int, kOtherAppCount>;

// The catalogue, entry number n at index n - 1: icons from the bundle's assets, install paths
// in `applicationsFolder`.
std::vector<OtherApp> otherAppsCatalogue(const platform::NSBundle& bundle,
                                         const std::string& applicationsFolder);
const std::array<PromoOrder, kPromoOrderCount>& promoOrders();

// The text under `key`; empty when there is none.
std::string rowText(const OtherAppRow& row, const std::string& key);
// The image under `key`; absent when there is none.
std::optional<platform::NSImage> rowImage(const OtherAppRow& row, const std::string& key);
// The row on one line, keys in order, an image by its asset name.
std::string describeRow(const OtherAppRow& row);

}  // namespace plovane::app
