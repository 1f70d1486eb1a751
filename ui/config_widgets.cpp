#include "ui/config_widgets.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui::config_ui {

namespace {

constexpr int kMinComboWidth = 120;
constexpr int kRowSpacing = 6;

void Muted(QLabel* label) {
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, Colour(palette::kTextMuted));
  label->setPalette(p);
}

}  // namespace

QComboBox* NewCombo(const char* name, std::function<void(int)> chosen) {
  auto* combo = new QComboBox;
  combo->setObjectName(name);
  combo->setMinimumWidth(kMinComboWidth);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), combo,
                   [chosen = std::move(chosen)](int index) { chosen(index); });
  return combo;
}

void ShowCombo(QComboBox* combo, const pages::ComboState& state) {
  if (combo->view()->isVisible()) {
    return;  // the fitter is choosing
  }
  const QSignalBlocker quiet(combo);
  bool same = combo->count() == static_cast<int>(state.items.size());
  for (int i = 0; same && i < combo->count(); ++i) {
    same = combo->itemText(i) == Q(state.items[static_cast<std::size_t>(i)]);
  }
  if (!same) {
    combo->clear();
    for (const std::string& item : state.items) {
      combo->addItem(Q(item));
    }
  }
  combo->setCurrentIndex(state.index < combo->count() ? state.index : -1);
  combo->setEnabled(state.enabled);
}

FormCard NewFormCard() {
  FormCard form;
  form.card = new CardFrame;
  form.grid = new QGridLayout;
  form.grid->setVerticalSpacing(kRowSpacing);
  form.grid->setColumnStretch(0, 1);
  form.card->Body()->addLayout(form.grid);
  return form;
}

QLabel* AddRow(FormCard& form, QWidget* control) {
  auto* caption = new QLabel;
  const int row = form.grid->rowCount();
  form.grid->addWidget(caption, row, 0);
  form.grid->addWidget(control, row, 1);
  return caption;
}

QVBoxLayout* NewColumn(QHBoxLayout* body, int width) {
  auto* box = new QWidget;
  box->setFixedWidth(width);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(spacing::kGap);
  body->addWidget(box, 0, Qt::AlignTop);
  return column;
}

QLabel* NewTitle(QWidget& owner) {
  auto* title = new QLabel;
  title->setFont(ScaledFont(owner, 1.3, true));
  return title;
}

QLabel* NewMuted() {
  auto* label = new QLabel;
  Muted(label);
  label->setWordWrap(true);
  return label;
}

QLabel* NewValue(const char* name) {
  auto* label = new QLabel(QStringLiteral("- - -"));
  label->setObjectName(name);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

QPushButton* NewButton(const char* name, std::function<void()> clicked) {
  auto* button = new QPushButton;
  button->setObjectName(name);
  QObject::connect(button, &QPushButton::clicked, button,
                   [clicked = std::move(clicked)] { clicked(); });
  return button;
}

}  // namespace velmora::ui::config_ui
