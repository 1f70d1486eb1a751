#include "ui/frm_compensa_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "ui/card_frame.h"
#include "ui/map_grid_view.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace cp = maps::compensation;

constexpr int kGridHeight = 56;
constexpr int kSideWidth = 260;
constexpr int kFactorWidth = 44;
constexpr int kShiftStep = 10;
constexpr int kCorrectionRange = 50;
constexpr QRgb kPendingBack = 0xFFFFECB3;
constexpr QRgb kFailedBack = 0xFFF8D7D5;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

void Fill(QComboBox* box, const maps::PageCombo& combo) {
  const QSignalBlocker b(box);
  if (box->count() != static_cast<int>(combo.items.size())) {
    box->clear();
    for (const std::string& item : combo.items) {
      box->addItem(Q(item));
    }
  } else {
    for (std::size_t i = 0; i < combo.items.size(); ++i) {
      box->setItemText(static_cast<int>(i), Q(combo.items[i]));
    }
  }
  box->setCurrentIndex(combo.index);
}

}  // namespace

QString MarkStyle(pages::Mark mark, const QString& widget) {
  if (mark == pages::Mark::kNone) {
    return {};
  }
  const QColor back = Colour(mark == pages::Mark::kPending ? kPendingBack : kFailedBack);
  const QColor text = Colour(mark == pages::Mark::kFailed ? palette::kDanger : palette::kText);
  return QStringLiteral("%1 { background-color: %2; color: %3; }")
      .arg(widget, back.name(), text.name());
}

MarkLegend::MarkLegend(QWidget* parent) : pending(new QLabel(parent)), failed(new QLabel(parent)) {
  for (auto [label, mark] :
       {std::pair{pending, pages::Mark::kPending}, std::pair{failed, pages::Mark::kFailed}}) {
    label->setWordWrap(true);
    label->setMargin(4);
    label->setStyleSheet(MarkStyle(mark, QStringLiteral("QLabel")));
  }
}

void MarkLegend::SetTexts(const std::string& pending_text, const std::string& failed_text) {
  pending->setText(QString::fromStdString(pending_text));
  failed->setText(QString::fromStdString(failed_text));
}

FrmCompensaPage::FrmCompensaPage(maps::FrmCompensa& page, const core::ClsLingue* lingue,
                                 QWidget* parent)
    : QWidget(parent),
      page_(page),
      lingue_(lingue),
      title_(new QLabel(this)),
      petrol_bar_(new QTableWidget(1, cp::kColumns, this)),
      lean_card_(new CardFrame(this)),
      lean_entry_label_(new QLabel(this)),
      lean_entry_(new QComboBox(this)),
      lean_exit_label_(new QLabel(this)),
      lean_exit_(new QComboBox(this)),
      persistence_label_(new QLabel(this)),
      persistence_(new QScrollBar(Qt::Horizontal, this)),
      persistence_text_(new QLabel(this)),
      correction_label_(new QLabel(this)),
      correction_(new QScrollBar(Qt::Horizontal, this)),
      correction_text_(new QLabel(this)),
      abs_(new QCheckBox(this)),
      even_bar_(new QPushButton(this)),
      even_percent_(new QPushButton(this)),
      hint_(new QLabel(this)),
      legend_(this) {
  QFont title_font = title_->font();
  title_font.setBold(true);
  title_font.setPointSize(title_font.pointSize() + 3);
  title_->setFont(title_font);
  hint_->setWordWrap(true);
  hint_->setStyleSheet(QStringLiteral("color: %1;").arg(Colour(palette::kTextMuted).name()));

  auto* tables = new QVBoxLayout;
  tables->setSpacing(spacing::kGap);
  for (int k = 0; k < cp::kKinds; ++k) {
    tables->addWidget(TableCard(k));
  }
  tables->addStretch(1);
  auto* body = new QHBoxLayout;
  body->setSpacing(spacing::kGap);
  body->addLayout(tables, 1);
  body->addWidget(SidePanel());
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  outer->addWidget(title_);
  outer->addLayout(body, 1);
  for (int k = 0; k < cp::kKinds; ++k) {
    ConnectTable(k);
  }
  ConnectSide();
  ShowCaptions();
  Refresh();
}

QWidget* FrmCompensaPage::TableCard(int kind) {
  Table& t = tables_[Index(kind)];
  t.card = new CardFrame(this);
  t.grid = new MapGridView(page_.Grid(kind), t.card);
  t.grid->setFixedHeight(kGridHeight);
  t.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.grid->Model().SetToolTips(
      [this, kind](int row, int col) { return page_.CellTip(kind, row, col); });
  t.grid->installEventFilter(this);
  // The current cell stays visible, but quietly, while another grid works.
  QPalette quiet = t.grid->palette();
  quiet.setColor(QPalette::Inactive, QPalette::Highlight, Colour(palette::kAccentSoft));
  quiet.setColor(QPalette::Inactive, QPalette::HighlightedText, Colour(palette::kText));
  t.grid->setPalette(quiet);
  t.factor_label = new QLabel(t.card);
  t.factor = new QLineEdit(t.card);
  t.factor->setFixedWidth(kFactorWidth);
  t.centre = new QPushButton(t.card);
  t.active = new QCheckBox(t.card);
  t.point = new QLabel(t.card);
  t.point->setMinimumWidth(140);
  auto* controls = new QHBoxLayout;
  controls->addWidget(t.factor_label);
  controls->addWidget(t.factor);
  controls->addWidget(t.centre);
  controls->addSpacing(spacing::kGap);
  controls->addWidget(t.active);
  controls->addStretch(1);
  controls->addWidget(t.point);
  t.card->Body()->addWidget(t.grid);
  if (kind == cp::kPetrolPressure) {
    petrol_bar_->horizontalHeader()->hide();
    petrol_bar_->verticalHeader()->hide();
    petrol_bar_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    petrol_bar_->setFixedHeight(kGridHeight / 2);
    petrol_bar_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    petrol_bar_->setSelectionMode(QAbstractItemView::NoSelection);
    petrol_bar_->setFocusPolicy(Qt::NoFocus);
    petrol_bar_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    petrol_bar_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t.card->Body()->addWidget(petrol_bar_);
  }
  t.card->Body()->addLayout(controls);
  return t.card;
}

QWidget* FrmCompensaPage::SidePanel() {
  auto* lean = new QGridLayout;
  lean->addWidget(lean_entry_label_, 0, 0);
  lean->addWidget(lean_entry_, 0, 1);
  lean->addWidget(lean_exit_label_, 1, 0);
  lean->addWidget(lean_exit_, 1, 1);
  lean->addWidget(persistence_label_, 2, 0, 1, 2);
  lean->addWidget(persistence_, 3, 0);
  lean->addWidget(persistence_text_, 3, 1, Qt::AlignRight);
  lean->addWidget(correction_label_, 4, 0, 1, 2);
  lean->addWidget(correction_, 5, 0);
  lean->addWidget(correction_text_, 5, 1, Qt::AlignRight);
  lean->setColumnStretch(0, 1);
  lean_card_->Body()->addLayout(lean);
  auto* side = new QVBoxLayout;
  side->setContentsMargins(0, 0, 0, 0);
  side->addWidget(lean_card_);
  side->addSpacing(spacing::kGap);
  side->addWidget(abs_);
  side->addSpacing(spacing::kGap);
  side->addWidget(even_bar_);
  side->addWidget(even_percent_);
  side->addSpacing(spacing::kGap);
  side->addWidget(hint_);
  side->addSpacing(spacing::kGap);
  side->addWidget(legend_.pending);
  side->addWidget(legend_.failed);
  side->addStretch(1);
  auto* panel = new QWidget(this);
  panel->setLayout(side);
  panel->setFixedWidth(kSideWidth);
  persistence_->setRange(1, maps::lean_out::kExitSteps);
  correction_->setRange(-kCorrectionRange, kCorrectionRange);
  return panel;
}

void FrmCompensaPage::ConnectTable(int kind) {
  Table& t = tables_[Index(kind)];
  connect(t.grid, &MapGridView::EnterPressed, this, [this, kind] {
    static_cast<void>(page_.Enter(kind));
    Refresh();
  });
  connect(t.centre, &QPushButton::clicked, this, [this, kind] {
    static_cast<void>(page_.CmdCentraQui(kind));
    Refresh();
  });
  connect(t.factor, &QLineEdit::textEdited, this,
          [this, kind](const QString& text) { page_.SetFactorText(kind, text.toStdString()); });
  connect(t.active, &QCheckBox::clicked, this, [this, kind](bool checked) {
    page_.ChkGrdClick(kind, checked);
    Refresh();
  });
}

void FrmCompensaPage::ConnectSide() {
  connect(lean_entry_, &QComboBox::activated, this, [this](int index) {
    page_.LeanEntryClick(index);
    Refresh();
  });
  connect(lean_exit_, &QComboBox::activated, this, [this](int index) {
    page_.LeanExitClick(index);
    Refresh();
  });
  connect(persistence_, &QScrollBar::valueChanged, this, [this](int value) {
    page_.PermanenceScroll(value);
    Refresh();
  });
  connect(correction_, &QScrollBar::valueChanged, this, [this](int value) {
    page_.CorrectionScroll(value);
    Refresh();
  });
  connect(abs_, &QCheckBox::clicked, this, [this](bool checked) {
    page_.AbsClick(checked);
    Refresh();
  });
  connect(even_bar_, &QPushButton::clicked, this, [this] {
    page_.EvenPressureBreakpoints();
    Refresh();
  });
  connect(even_percent_, &QPushButton::clicked, this, [this] {
    page_.EvenPressureCorrections();
    Refresh();
  });
}

bool FrmCompensaPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) {
    return QWidget::eventFilter(watched, event);
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool plus = key->key() == Qt::Key_Plus || key->key() == Qt::Key_Equal;
  const bool minus = key->key() == Qt::Key_Minus;
  if (!plus && !minus) {
    return QWidget::eventFilter(watched, event);
  }
  for (int k = 0; k < cp::kKinds; ++k) {
    if (watched == tables_[Index(k)].grid) {
      const int step = (key->modifiers() & Qt::ShiftModifier) != 0 ? kShiftStep : 1;
      static_cast<void>(page_.Step(k, plus ? step : -step));
      Refresh();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FrmCompensaPage::CaricaLingua() {
  if (lingue_ != nullptr) {
    page_.CaricaLingua(*lingue_);
  }
  ShowCaptions();
  Refresh();
}

void FrmCompensaPage::ShowCaptions() {
  const maps::CompensaTexts& t = page_.Texts();
  title_->setText(Q(t.title));
  setWindowTitle(Q(t.title));
  for (int k = 0; k < cp::kKinds; ++k) {
    Table& tb = tables_[Index(k)];
    tb.card->SetTitle(Q(t.tables[Index(k)]));
    tb.factor_label->setText(Q(t.factor));
    tb.factor->setToolTip(Q(page_.FactorTip()));
    tb.centre->setText(Q(t.centre));
    tb.active->setText(Q(t.active));
    tb.centre->setEnabled(k != cp::kLeanOut);
    tb.factor->setEnabled(k != cp::kLeanOut);
  }
  petrol_bar_->setToolTip(Q(t.petrol_bar));
  lean_card_->SetTitle(Q(t.tables[cp::kLeanOut]));
  lean_entry_label_->setText(Q(t.lean_entry));
  lean_exit_label_->setText(Q(t.lean_exit));
  persistence_label_->setText(Q(t.persistence));
  correction_label_->setText(Q(t.last_correction));
  abs_->setText(Q(t.abs));
  even_bar_->setText(Q(t.even_bar));
  even_percent_->setText(Q(t.even_percent));
  even_bar_->setToolTip(Q(t.tables[cp::kGasPressure]));
  even_percent_->setToolTip(Q(t.tables[cp::kGasPressure]));
  hint_->setText(Q(t.keys_hint));
  legend_.SetTexts(t.pending, t.failed);
}

void FrmCompensaPage::ShowSide() {
  const maps::CompensaControls& c = page_.Controls();
  Fill(lean_entry_, c.lean_entry);
  Fill(lean_exit_, c.lean_exit);
  lean_entry_->setStyleSheet(MarkStyle(c.lean_entry.mark, QStringLiteral("QComboBox")));
  lean_exit_->setStyleSheet(MarkStyle(c.lean_exit.mark, QStringLiteral("QComboBox")));
  {
    const QSignalBlocker b0(persistence_);
    const QSignalBlocker b1(correction_);
    const QSignalBlocker b2(abs_);
    persistence_->setValue(c.persistence);
    correction_->setValue(c.correction);
    abs_->setChecked(c.abs_checked);
  }
  persistence_text_->setText(QString::number(c.persistence));
  correction_text_->setText(Q(c.correction_text));
  abs_->setStyleSheet(MarkStyle(c.abs_mark, QStringLiteral("QCheckBox")));
  for (int col = 0; col < cp::kColumns; ++col) {
    const QString text =
        col == 0 ? Q(page_.Texts().units[1]) : Q(c.petrol_bar[static_cast<std::size_t>(col - 1)]);
    auto* item = petrol_bar_->item(0, col);
    if (item == nullptr) {
      item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      petrol_bar_->setItem(0, col, item);
    }
    item->setText(text);
  }
}

void FrmCompensaPage::Refresh() {
  const maps::CompensaControls& c = page_.Controls();
  setEnabled(page_.Enabled());
  for (int k = 0; k < cp::kKinds; ++k) {
    Table& t = tables_[Index(k)];
    const maps::TableControls& tc = c.tables[Index(k)];
    t.grid->SetWorkingPoint(tc.point_shown, {cp::kCorrectionRow, tc.point_column});
    t.grid->Refresh();
    if (!t.factor->hasFocus()) {
      t.factor->setText(Q(tc.factor_text));
    }
    {
      const QSignalBlocker b(t.active);
      t.active->setChecked(tc.active);
    }
    t.active->setStyleSheet(MarkStyle(tc.active_mark, QStringLiteral("QCheckBox")));
    t.point->setText(tc.point_shown ? Q(page_.Texts().operating_point + ": " + tc.point_text)
                                    : QString());
  }
  ShowSide();
}

}  // namespace velmora::ui
