// The least a Qt Widgets program does to show a window with a line of text and be found on the
// bus: what the settings app's start is measured against. The text matters: the first text
// laid out loads the font configuration, which any window a person can read pays for.
//
// With --general-tab it shows instead, made of plain widgets, the window the settings app shows
// at launch: its General tab at the app's size. Beside it the app's start shows what the app
// itself adds to what Qt takes to put that window up.
#include <QApplication>
#include <QCheckBox>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantMap>
#include <cstring>
#include <memory>

namespace {

class Activation final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  explicit Activation(QObject* parent) : QDBusAbstractAdaptor(parent) {}

 public slots:
  void Activate(const QVariantMap&) {}
};

QLabel* heading(const QString& text) {
  auto* label = new QLabel(text);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  label->setFont(font);
  return label;
}

QLabel* wrapping(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  return label;
}

std::unique_ptr<QWidget> generalTabWindow() {
  auto window = std::make_unique<QWidget>();
  auto* layout = new QVBoxLayout(window.get());
  auto* menus = new QMenuBar;
  menus->addMenu(QStringLiteral("Plovane Menu"));
  layout->setMenuBar(menus);
  auto* tabs = new QTabWidget;
  auto* general = new QWidget;
  auto* column = new QVBoxLayout(general);
  column->addWidget(heading(QStringLiteral("Extension")));
  column->addWidget(wrapping(QStringLiteral("Plovane Menu Extension is enabled")));
  auto* row = new QHBoxLayout;
  row->addWidget(new QPushButton(QStringLiteral("Open Extension Settings")));
  row->addStretch();
  column->addLayout(row);
  column->addWidget(wrapping(QStringLiteral(
      "It starts the extension and opens a window listing the file managers on this computer "
      "(Files, Nemo, Caja, Thunar, Plovane Finder), where you choose the ones whose right-click "
      "menu shows Plovane Menu.")));
  column->addWidget(heading(QStringLiteral("Context menu")));
  auto* icons = new QCheckBox(QStringLiteral("Show icons in the menu"));
  icons->setChecked(true);
  column->addWidget(icons);
  column->addWidget(
      new QCheckBox(QStringLiteral("Gather the commands in one \u201cPlovane Menu\u201d submenu")));
  column->addStretch();
  tabs->addTab(general, QStringLiteral("General"));
  for (const char* name : {"Menu Items", "Monitored Folders", "About", "Custom Folders"})
    tabs->addTab(new QWidget, QString::fromUtf8(name));
  layout->addWidget(tabs);
  window->resize(620, 480);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QObject published;
  new Activation(&published);
  auto bus = QDBusConnection::sessionBus();
  bus.registerObject(QStringLiteral("/org/plovane/BareWindow"), &published,
                     QDBusConnection::ExportAdaptors);
  if (!bus.registerService(QStringLiteral("org.plovane.BareWindow"))) return 1;
  const bool generalTab = argc > 1 && std::strcmp(argv[1], "--general-tab") == 0;
  std::unique_ptr<QWidget> window =
      generalTab ? generalTabWindow() : std::make_unique<QLabel>(QStringLiteral("Plovane Menu"));
  QTimer::singleShot(0, window.get(), [&window] { window->show(); });
  return application.exec();
}

#include "BareQtWindow.moc"
