#include "desktop/AlertDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <initializer_list>

namespace platform::desktop {

namespace {

QStyle::StandardPixmap iconFor(NSAlertStyle style) {
  switch (style) {
    case NSAlertStyle::informational:
      return QStyle::SP_MessageBoxInformation;
    case NSAlertStyle::critical:
      return QStyle::SP_MessageBoxCritical;
    case NSAlertStyle::warning:
      break;
  }
  return QStyle::SP_MessageBoxWarning;
}

QLabel* textLabel(const std::string& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(QString::fromStdString(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// The text column is as wide as its longest line, between about thirty and sixty characters,
// and wraps beyond; left to itself a wrapping label squeezes text into a narrow column.
void fitTextColumn(std::initializer_list<QLabel*> labels) {
  int natural = 0;
  for (auto* label : labels)
    natural = std::max(natural, label->fontMetrics().size(0, label->text()).width());
  const int character = (*labels.begin())->fontMetrics().averageCharWidth();
  for (auto* label : labels)
    label->setFixedWidth(std::clamp(natural, 30 * character, 60 * character));
}

}  // namespace

AlertDialog::AlertDialog(NSAlert& alert) : alert_(alert) {
  alert_.addOKButtonIfNone();

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(
      style()->standardIcon(iconFor(alert_.alertStyle), nullptr, this).pixmap(iconSize));

  auto* message = textLabel(alert_.messageText, "message", this);
  QFont bold = message->font();
  bold.setBold(true);
  message->setFont(bold);
  auto* informative = textLabel(alert_.informativeText, "informative", this);
  informative->setVisible(!alert_.informativeText.empty());
  fitTextColumn({message, informative});

  const int spacing = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this);
  auto* row = new QHBoxLayout;
  row->setSpacing(spacing);
  row->addStretch();
  for (std::size_t index = 0; index < alert_.buttons.size(); ++index) {
    auto* button = new QPushButton(QString::fromStdString(alert_.buttons[index].title), this);
    connect(button, &QPushButton::clicked, this, [this, index] { press(index); });
    row->addWidget(button);
    buttons_.push_back(button);
  }
  buttons_.front()->setDefault(true);
  buttons_.front()->setFocus();

  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->setHorizontalSpacing(spacing * 2);
  grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(message, 0, 1);
  grid->addWidget(informative, 1, 1);
  grid->addLayout(row, 2, 0, 1, 2);
}

void AlertDialog::reject() { buttons_[cancellingButton()]->click(); }

void AlertDialog::press(std::size_t index) {
  const auto& button = alert_.buttons[index];
  if (button.target == nullptr) {
    alert_.window().orderOut();
  } else {
    button.target->performSelector(button.action, nullptr);
  }
  if (!alert_.window().isVisible()) done(static_cast<int>(index));
}

// The button titled Cancel, otherwise the last one: these alerts put the declining choice
// ("No", "No, Thanks!") after the one they propose.
std::size_t AlertDialog::cancellingButton() const {
  for (std::size_t index = 0; index < alert_.buttons.size(); ++index) {
    if (alert_.buttons[index].title == "Cancel") return index;
  }
  return alert_.buttons.size() - 1;
}

}  // namespace platform::desktop
