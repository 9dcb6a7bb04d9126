#pragma once

#include <QDBusConnection>
#include <QString>
#include <vector>

#include "platform/NSWorkspace.h"

namespace platform::desktop {

// Where a program with this bundle identifier exports its objects: dots become slashes and
// dashes underscores (a bus name may hold dashes, an object path may not), as
// org.freedesktop.Application does.
QString objectPathForBundleIdentifier(const QString& bundleIdentifier);

QString activationPolicyName(NSApplicationActivationPolicy policy);
// Anything but "accessory" or "prohibited" is a regular application.
NSApplicationActivationPolicy activationPolicyNamed(const QString& name);

// The programs that own their bundle identifier on the bus, with the activation policy each
// publishes. Asks all of them at once and waits, within a bound, in a local event loop, so that a
// program answering from this very thread is heard too.
std::vector<NSRunningApplication> runningApplicationsOn(const QDBusConnection& connection);

}  // namespace platform::desktop
