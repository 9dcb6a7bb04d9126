#pragma once

#include <QJsonObject>

#include "platform/NSAlert.h"
#include "platform/NSPanels.h"

namespace platform::desktop {

// What the extension asks of its display helper and what comes back, each one JSON object
// (JsonLines). Every exchange carries the asker's "id":
//   {"show":"alert"|"open"|"save", ...the alert or panel}  answered {"response":R, ...choice}
//   while an alert is up: {"pressed":I} for a button, answered {"ended":true|false}
//   {"clipboard":"clear"|"set"|"get", "type":Y, "text":T}  answered {"done":B, "text":T}
// and, unasked, {"clipboardLost":true} once another program has taken the clipboard.
namespace display {

// Bytes (a path, a copied text) as a JSON string that gives them back exactly, UTF-8 or not.
QString exactText(const std::string& bytes);
std::string bytesOf(const QJsonValue& text);

QJsonObject describe(const NSAlert& alert);
// The alert described, its buttons without targets.
NSAlert alertFrom(const QJsonObject& description);

// A panel's properties; what the person chose travels back in the answer.
QJsonObject describe(const NSSavePanel& panel);
QJsonObject describe(const NSOpenPanel& panel);
void setUp(NSSavePanel& panel, const QJsonObject& description);
void setUp(NSOpenPanel& panel, const QJsonObject& description);
QJsonObject choiceOf(const NSSavePanel& panel);
QJsonObject choiceOf(const NSOpenPanel& panel);
void takeChoice(NSSavePanel& panel, const QJsonObject& answer);
void takeChoice(NSOpenPanel& panel, const QJsonObject& answer);

}  // namespace display

}  // namespace platform::desktop
