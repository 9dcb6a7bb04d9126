#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QString>
#include <optional>
#include <string>

#include "platform/NSWorkspace.h"

namespace platform::desktop {

// How a running program announces itself: its activation policy, read-only, at the object path
// made from its bundle identifier, and the identifier itself as a bus name, which one instance
// only can own.
//
// It is an adaptor on the program's own object, so the program's other interfaces, adaptors on
// the same object, are exported at the same path. Create them all before or after `publish`.
class RunningApplicationRegistration : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.quenlow.plovanemenu.RunningApplication")
  Q_PROPERTY(QString ActivationPolicy READ activationPolicy)

 public:
  RunningApplicationRegistration(QObject* application, NSApplicationActivationPolicy policy);
  ~RunningApplicationRegistration() override;

  // False when another object holds the path or another instance owns the identifier; the
  // program is then not published at all.
  bool publish(QDBusConnection connection, const std::string& bundleIdentifier);

  QString activationPolicy() const;
  // Readers ask each time, so a change is seen at the next question.
  void setActivationPolicy(NSApplicationActivationPolicy policy) { policy_ = policy; }

 private:
  NSApplicationActivationPolicy policy_;
  struct Published {
    QDBusConnection connection;
    QString service;
    QString path;
  };
  std::optional<Published> published_;
};

}  // namespace platform::desktop
