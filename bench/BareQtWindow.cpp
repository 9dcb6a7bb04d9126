// The least a Qt Widgets program does to show a window with a line of text and be found on the
// bus: what the settings app's start is measured against. The text matters: the first text
// laid out loads the font configuration, which any window a person can read pays for.
#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QLabel>
#include <QTimer>
#include <QVariantMap>

namespace {

class Activation final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  explicit Activation(QObject* parent) : QDBusAbstractAdaptor(parent) {}

 public slots:
  void Activate(const QVariantMap&) {}
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QObject published;
  new Activation(&published);
  auto bus = QDBusConnection::sessionBus();
  bus.registerObject(QStringLiteral("/org/plovane/BareWindow"), &published,
                     QDBusConnection::ExportAdaptors);
  if (!bus.registerService(QStringLiteral("org.plovane.BareWindow"))) return 1;
  QLabel window(QStringLiteral("Plovane Menu"));
  QTimer::singleShot(0, &window, [&window] { window.show(); });
  return application.exec();
}

#include "BareQtWindow.moc"
