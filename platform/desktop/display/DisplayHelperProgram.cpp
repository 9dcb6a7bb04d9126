#include "desktop/display/DisplayHelperProgram.h"

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <map>

#include "desktop/DesktopPasteboard.h"
#include "desktop/DisplayModals.h"
#include "desktop/ProgramStart.h"
#include "desktop/StreamSystemLog.h"
#include "desktop/display/DisplayMessages.h"
#include "desktop/display/JsonLines.h"
#include "platform/Responder.h"

namespace platform::desktop {

namespace {

class DisplayHelperServer {
 public:
  DisplayHelperServer(Modals& modals, QClipboard& clipboard)
      : modals_(modals),
        clipboard_(clipboard),
        pasteboard_(clipboard),
        lines_(STDIN_FILENO, STDOUT_FILENO,
               {[this](const QJsonObject& request) { received(request); },
                [this] {
                  hungUp_ = true;
                  QCoreApplication::quit();
                }}) {
    QObject::connect(&clipboard_, &QClipboard::changed, [this](QClipboard::Mode mode) {
      if (mode != QClipboard::Clipboard || !holdsCopy_) return;
      if (clipboard_.ownsClipboard()) {
        owned_ = true;
        return;
      }
      // Drawing offscreen, Qt tells no owner: the copy is ours until its text is replaced.
      if (owned_ || clipboard_.text() != copied_) {
        holdsCopy_ = false;
        lines_.send({{"clipboardLost", true}});
      }
    });
  }

  // Sent here by an alert's buttons: the extension runs the button's action and says whether
  // the alert ends.
  void press(int exchange, std::size_t button, NSAlert& alert) {
    lines_.send({{"id", exchange}, {"pressed", static_cast<qint64>(button)}});
    while (!verdicts_.contains(exchange) && !hungUp_) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (hungUp_ || verdicts_[exchange]) alert.window().orderOut();
    verdicts_.erase(exchange);
  }

 private:
  void received(const QJsonObject& request) {
    const int exchange = request["id"].toInt();
    const QString shown = request["show"].toString();
    if (request.contains("ended")) {
      verdicts_[exchange] = request["ended"].toBool();
    } else if (shown == "alert") {
      showAlert(exchange, request);
    } else if (shown == "open") {
      showPanel<NSOpenPanel>(exchange, request);
    } else if (shown == "save") {
      showPanel<NSSavePanel>(exchange, request);
    } else if (request.contains("clipboard")) {
      useClipboard(exchange, request);
    }
  }

  void showAlert(int exchange, const QJsonObject& description) {
    class Buttons final : public Responder {
     public:
      Buttons(DisplayHelperServer& server, int exchange, NSAlert& alert)
          : server_(server), exchange_(exchange), alert_(alert) {}
      bool performSelector(const std::string& button, const NSMenuItem*) override {
        server_.press(exchange_, std::stoul(button), alert_);
        return true;
      }

     private:
      DisplayHelperServer& server_;
      int exchange_;
      NSAlert& alert_;
    };
    NSAlert alert = display::alertFrom(description);
    Buttons buttons(*this, exchange, alert);
    for (std::size_t index = 0; index < alert.buttons.size(); ++index) {
      alert.buttons[index].target = &buttons;
      alert.buttons[index].action = std::to_string(index);
    }
    const auto response = modals_.runModal(alert);
    lines_.send({{"id", exchange}, {"response", static_cast<qint64>(response)}});
  }

  template <class Panel>
  void showPanel(int exchange, const QJsonObject& description) {
    Panel panel;
    display::setUp(panel, description);
    const auto response = modals_.runModal(panel);
    QJsonObject answer = display::choiceOf(panel);
    answer["id"] = exchange;
    answer["response"] = static_cast<qint64>(response);
    lines_.send(answer);
  }

  void useClipboard(int exchange, const QJsonObject& request) {
    const QString use = request["clipboard"].toString();
    const std::string type = request["type"].toString().toStdString();
    QJsonObject answer{{"id", exchange}, {"done", true}};
    if (use == "clear") {
      holdsCopy_ = false;
      pasteboard_.declareTypes({});
    } else if (use == "set") {
      const std::string text = display::bytesOf(request["text"]);
      copied_ = QString::fromStdString(text);
      owned_ = false;
      // Held already while the clipboard takes it, so that the change this makes notes the owner.
      holdsCopy_ = true;
      holdsCopy_ = pasteboard_.setString(text, type);
      answer["done"] = holdsCopy_;
    } else {
      const auto text = pasteboard_.stringForType(type);
      answer["done"] = text.has_value();
      if (text) answer["text"] = display::exactText(*text);
    }
    lines_.send(answer);
  }

  Modals& modals_;
  QClipboard& clipboard_;
  DesktopPasteboard pasteboard_;
  JsonLines lines_;
  std::map<int, bool> verdicts_;
  bool holdsCopy_ = false;
  // What it copied last, and whether the platform ever told it owned the clipboard.
  QString copied_;
  bool owned_ = false;
  bool hungUp_ = false;
};

}  // namespace

int runDisplayHelper(int& argc, char** argv) {
  prepareDisplay();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("plovane-menu-extension"));
  QApplication::setQuitOnLastWindowClosed(false);
  StreamSystemLog log;
  ScriptedModals* scripted = nullptr;
  const auto modals = modalsFor(true, log, application, scripted);
  DisplayHelperServer server(*modals, *QApplication::clipboard());
  return application.exec();
}

}  // namespace platform::desktop
