#pragma once

#include <string_view>
#include <variant>

#include "store/PlistCodec.h"

namespace platform {

// Decodes an XML property list. Anything that does not read as exactly one value (a number
// with trailing characters, an impossible date, bad base64, a missing final '>', an unknown
// element) is refused rather than guessed at.
std::variant<PlistValue, PlistDecodeError> readXmlPlist(std::string_view text);

}  // namespace platform
