#include "extension/ImageExtensions.h"

#include <algorithm>
#include <array>

namespace plovane {

bool isImageExtension(const std::string& lowercasedExtension) {
  // Built once on first use; a function-local static is initialised exactly once.
  static const std::array<std::string, 65> imageExtensions = {
      "jpeg", "jpg",  "png", "tga",     "pict", "tiff", "tif",  "pct",  "pic", "jp2", "jpf",
      "j2k",  "jpx",  "j2c", "gif",     "ai",   "bmp",  "dng",  "dae",  "eps", "fax", "fpx",
      "hdr",  "icns", "ico", "openexr", "ps",   "psd",  "pntg", "qtif", "rad", "sgi", "xbm",
      "jpe",  "heic", "mpo", "exr",     "rgbe", "xyze", "mos",  "cr2",  "fff", "nef", "nrw",
      "pef",  "sr2",  "srf", "3fr",     "arw",  "crw",  "dcr",  "erf",  "gpr", "iiq", "kdc",
      "mdc",  "mef",  "mrw", "orf",     "raf",  "rwl",  "srw",  "x3f",  "pbm", "psb"};
  return std::find(imageExtensions.begin(), imageExtensions.end(), lowercasedExtension) !=
         imageExtensions.end();
}

}  // namespace plovane
