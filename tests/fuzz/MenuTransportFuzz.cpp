// A menu arrives over the session bus, where anyone may send one: reading it never crashes, and
// a menu read is one that travels again unchanged.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "desktop/findersync/MenuTransport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto menu = platform::desktop::decodeMenu(text);
  if (menu && menu->menu) {
    const auto again =
        platform::desktop::decodeMenu(platform::desktop::encodeMenu(*menu->menu, menu->resources));
    if (!again || !again->menu || again->menu->numberOfItems() != menu->menu->numberOfItems()) {
      __builtin_trap();
    }
  }
  return 0;
}
