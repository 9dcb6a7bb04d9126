#include <charconv>

#include "platform/Scripting.h"

namespace platform {

namespace {

constexpr std::string_view kDelay = "delay ";

}  // namespace

std::optional<double> scriptDelaySeconds(std::string_view source) {
  if (!source.starts_with(kDelay)) return std::nullopt;
  source.remove_prefix(kDelay.size());
  double seconds = 0;
  const auto [end, error] = std::from_chars(source.data(), source.data() + source.size(), seconds);
  if (error != std::errc() || end != source.data() + source.size() || seconds < 0) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace platform
