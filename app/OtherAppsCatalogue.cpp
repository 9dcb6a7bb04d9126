#include "app/OtherAppsCatalogue.h"

namespace plovane::app {

namespace {

struct Entry {
  const char* title;
  const char* description;
  const char* icon;
  const char* storePage;
  const char* category;
};

// Entries 1 to 4 are the companion tools the extension starts or offers.
constexpr std::array<Entry, kOtherAppCount> kEntries = {{
    {"Marrowfen", "Find duplicate files and free the space they take.", "otherapp-marrowfen",
     "macappstore://apps.apple.com/app/marrowfen/id1480917331", "Utilities"},
    {"Pellisade", "Spot similar and duplicate photos and keep only the best shot.",
     "otherapp-pellisade", "macappstore://apps.apple.com/app/pellisade/id1480917342",
     "Photography"},
    {"Ambervane", "View, edit or remove the Exif data of your photos.", "otherapp-ambervane",
     "macappstore://apps.apple.com/app/ambervane/id1480917353", "Photography"},
    {"Scallotta", "Resize, crop and convert many photos at once.", "otherapp-scallotta",
     "macappstore://apps.apple.com/app/scallotta/id1480917364", "Graphics & Design"},
    {"Quillmere", "A quiet notebook for quick notes and long drafts.", "otherapp-quillmere",
     "macappstore://apps.apple.com/app/quillmere/id1480917375", "Productivity"},
    {"Brindlewick", "Rename hundreds of files at once, with a preview of every name.",
     "otherapp-brindlewick", "macappstore://apps.apple.com/app/brindlewick/id1480917386",
     "Utilities"},
    {"Tessaloom", "See at a glance which folders fill your disk.", "otherapp-tessaloom",
     "macappstore://apps.apple.com/app/tessaloom/id1480917397", "Utilities"},
    {"Corvantine", "Plan focus sessions and breaks that fit your day.", "otherapp-corvantine",
     "macappstore://apps.apple.com/app/corvantine/id1480917408", "Productivity"},
    {"Wrenfold", "Merge, split and reorder the pages of PDF documents.", "otherapp-wrenfold",
     "macappstore://apps.apple.com/app/wrenfold/id1480917419", "Productivity"},
    {"Lumbrisk", "Pick colours anywhere on the screen and keep them in palettes.",
     "otherapp-lumbrisk", "macappstore://apps.apple.com/app/lumbrisk/id1480917430",
     "Developer Tools"},
    {"Ostrafell", "Open and create archives in every common format.", "otherapp-ostrafell",
     "macappstore://apps.apple.com/app/ostrafell/id1480917441", "Utilities"},
    {"Glimmerhook", "Capture the screen, mark it up and share it in seconds.",
     "otherapp-glimmerhook", "macappstore://apps.apple.com/app/glimmerhook/id1480917452",
     "Graphics & Design"},
    {"Thistlebray", "Track what you spend and see where your money goes.", "otherapp-thistlebray",
     "macappstore://apps.apple.com/app/thistlebray/id1480917463", "Finance"},
    {"Vellumtide", "Turn your notes into flash cards and learn a little every day.",
     "otherapp-vellumtide", "macappstore://apps.apple.com/app/vellumtide/id1480917474",
     "Education"},
    {"Drossfeather", "Keep a history of the clipboard and paste any earlier copy.",
     "otherapp-drossfeather", "macappstore://apps.apple.com/app/drossfeather/id1480917485",
     "Productivity"},
    {"Pondrake", "Convert videos for any device with presets that just work.", "otherapp-pondrake",
     "macappstore://apps.apple.com/app/pondrake/id1480917496", "Video"},
    {"Sorrelgate", "Watch your battery's health and charge cycles.", "otherapp-sorrelgate",
     "macappstore://apps.apple.com/app/sorrelgate/id1480917507", "Utilities"},
}};

}  // namespace

std::vector<OtherApp> otherAppsCatalogue(const platform::NSBundle& bundle,
                                         const std::string& applicationsFolder) {
  std::vector<OtherApp> apps;
  for (const Entry& entry : kEntries) {
    OtherApp app{{{"Title", entry.title},
                  {"description", entry.description},
                  {"apppath", entry.storePage},
                  {"category", entry.category}},
                 // Each app's bundle is named after the app.
                 applicationsFolder + "/" + entry.title + ".app"};
    if (auto icon = platform::NSImage::imageNamed(bundle, entry.icon))
      app.row.emplace("icon", *icon);
    apps.push_back(std::move(app));
  }
  return apps;
}

const std::array<PromoOrder, kPromoOrderCount>& promoOrders() {
  static const std::array<PromoOrder, kPromoOrderCount> orders = {{
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
      {6, 16, 13, 15, 2, 14, 4, 8, 11, 3, 10, 7, 9, 1, 5, 12, 17},
      {10, 7, 13, 15, 17, 4, 11, 14, 8, 5, 9, 3, 6, 12, 16, 1, 2},
      {17, 8, 14, 3, 9, 16, 6, 13, 5, 15, 1, 11, 12, 4, 10, 2, 7},
      {7, 10, 5, 14, 12, 17, 9, 13, 11, 3, 15, 2, 16, 6, 8, 4, 1},
      {3, 12, 5, 4, 10, 14, 16, 9, 13, 8, 17, 1, 6, 15, 11, 7, 2},
      {7, 14, 4, 9, 12, 1, 5, 11, 16, 2, 8, 13, 3, 17, 15, 10, 6},
      {5, 11, 9, 14, 17, 16, 4, 2, 1, 12, 10, 7, 13, 3, 6, 15, 8},
      {7, 1, 12, 11, 15, 2, 4, 17, 10, 6, 3, 5, 14, 8, 13, 9, 16},
  }};
  return orders;
}

std::string rowText(const OtherAppRow& row, const std::string& key) {
  auto found = row.find(key);
  if (found == row.end()) return {};
  const auto* text = std::get_if<std::string>(&found->second);
  return text != nullptr ? *text : std::string();
}

std::optional<platform::NSImage> rowImage(const OtherAppRow& row, const std::string& key) {
  auto found = row.find(key);
  if (found == row.end()) return std::nullopt;
  const auto* image = std::get_if<platform::NSImage>(&found->second);
  return image != nullptr ? std::optional(*image) : std::nullopt;
}

std::string describeRow(const OtherAppRow& row) {
  std::string line = "{";
  for (const auto& [key, value] : row) {
    const auto* text = std::get_if<std::string>(&value);
    line += (line.size() > 1 ? "; " : " ") + key + " = " +
            (text != nullptr ? *text : "<image " + std::get<platform::NSImage>(value).name() + ">");
  }
  return line + " }";
}

}  // namespace plovane::app
