#pragma once

#include <string>

namespace plovane {

// Whether a lower-cased path extension names an image type, by the process-wide list the
// image-only commands are offered for.
bool isImageExtension(const std::string& lowercasedExtension);

}  // namespace plovane
