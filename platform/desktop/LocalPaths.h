#pragma once

#include <QFile>
#include <QString>

#include "platform/NSURL.h"

namespace platform::desktop {

// Paths cross between the platform and Qt in the file system's own encoding, so a name that
// is not UTF-8 still names the same file.
inline QString qtPath(const NSURL& url) {
  return QFile::decodeName(QByteArray::fromStdString(url.path()));
}

inline NSURL fileURL(const QString& path) {
  return NSURL::fileURLWithPath(QFile::encodeName(path).toStdString());
}

}  // namespace platform::desktop
