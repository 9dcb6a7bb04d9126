#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"

namespace platform {

// The contents of XML property-list elements. Each reads its text in full or not at all: a
// number with trailing characters, an impossible date or bad base64 is absent, never a guess.

bool isXmlSpace(char c);
std::string_view trimXmlSpace(std::string_view text);

// Decimal, or hexadecimal after "0x"; surrounding whitespace allowed.
std::optional<std::int64_t> parseXmlInteger(std::string_view text);
std::optional<double> parseXmlReal(std::string_view text);
// Seconds since 2001, within the store's date range.
std::optional<double> parseXmlDate(std::string_view text);
// Whitespace anywhere, padding only at the end.
std::optional<PlistData> decodeXmlBase64(std::string_view text);

// Appends `run` with its line ends read as XML reads them: CR LF and a lone CR are LF.
void appendXmlLiteral(std::string_view run, std::string& out);
// The same, with entity and character references replaced; false when one of them is malformed
// or names no character a string can hold.
bool appendXmlText(std::string_view run, std::string& out);

}  // namespace platform
