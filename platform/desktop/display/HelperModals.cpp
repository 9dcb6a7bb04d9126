#include "desktop/display/HelperModals.h"

#include "desktop/display/DisplayMessages.h"

namespace platform::desktop {

namespace {

// The response an answer carries; one that never came (the helper went) chose nothing.
NSModalResponse responseIn(const QJsonObject& answer) {
  return answer.contains("response") ? static_cast<NSModalResponse>(answer["response"].toInteger())
                                     : NSModalResponseCancel;
}

}  // namespace

int HelperModals::show(std::shared_ptr<NSAlert> alert, Completion completion) {
  alert->addOKButtonIfNone();
  alert->window().makeKeyAndOrderFront();
  auto exchange = std::make_shared<int>(0);
  *exchange = helper_.ask(
      display::describe(*alert), [this, alert, exchange, completion](const QJsonObject& message) {
        if (message.contains("pressed")) {
          const auto index = static_cast<std::size_t>(message["pressed"].toInt());
          if (index < alert->buttons.size()) {
            const auto& button = alert->buttons[index];
            if (button.target == nullptr) {
              alert->window().orderOut();
            } else {
              button.target->performSelector(button.action, nullptr);
            }
          }
          helper_.reply(*exchange, {{"ended", !alert->window().isVisible()}});
          return false;
        }
        alert->window().orderOut();
        if (completion) completion(responseIn(message));
        return true;
      });
  return *exchange;
}

template <class Panel>
int HelperModals::show(std::shared_ptr<Panel> panel, Completion completion) {
  return helper_.ask(display::describe(*panel), [panel, completion](const QJsonObject& answer) {
    display::takeChoice(*panel, answer);
    if (completion) completion(responseIn(answer));
    return true;
  });
}

template <class Shown>
NSModalResponse HelperModals::runModalOf(Shown& shown) {
  // Borrowed for the call: the exchange ends before it returns.
  const std::shared_ptr<Shown> borrowed(&shown, [](Shown*) {});
  NSModalResponse response = NSModalResponseCancel;
  helper_.waitFor(show(borrowed, [&response](NSModalResponse given) { response = given; }));
  return response;
}

NSModalResponse HelperModals::runModal(NSAlert& alert) { return runModalOf(alert); }
NSModalResponse HelperModals::runModal(NSOpenPanel& panel) { return runModalOf(panel); }
NSModalResponse HelperModals::runModal(NSSavePanel& panel) { return runModalOf(panel); }

void HelperModals::beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow&,
                                            Completion completion) {
  show(std::move(alert), std::move(completion));
}

void HelperModals::beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow&,
                                            Completion completion) {
  show(std::move(panel), std::move(completion));
}

}  // namespace platform::desktop
