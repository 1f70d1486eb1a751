#include "ui/frm_kvx_commutazione_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

#include "pages/switch_over_combos.h"
#include "ui/card_frame.h"
#include "ui/frm_compensa_page.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace sc = pages::sw_combo;
namespace ct = pages::config_text;
namespace dg = pages::delay_grid;

constexpr int kSwitchCard = 0;
constexpr int kIgnitionCard = 1;
constexpr int kSystemCard = 2;
constexpr int kGridCard = 3;
constexpr int kOptionsCard = 4;
constexpr int kComboWidth = 170;
constexpr int kGridCellWidth = 150;
constexpr int kGridRowHeight = 24;
constexpr int kMaxWord = 65535;
constexpr std::array<int, pages::sw_check::kRows> kCheckRowOrder = {
    pages::sw_check::kCheck2, pages::sw_check::kCheck4, pages::sw_check::kCheck3};

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QColor MarkBack(pages::Mark m) {
  switch (m) {
    case pages::Mark::kPending:
      return QColor(0xFF, 0xEC, 0xB3);
    case pages::Mark::kFailed:
      return QColor(0xF8, 0xD7, 0xD5);
    default:
      return Colour(palette::kCard);
  }
}

}  // namespace

FrmKvxCommutazionePage::FrmKvxCommutazionePage(pages::FrmKvxCommutazione& page,
                                               const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      page_(page),
      lingue_(lingue),
      title_(new QLabel(this)),
      spark_label_(new QLabel(this)),
      spark_(new QLineEdit(this)),
      bad_bit_label_(new QLabel(this)),
      bad_bit_(new QSlider(Qt::Horizontal, this)),
      bad_bit_value_(new QLabel(this)),
      grid_(new QTableWidget(dg::kRows, dg::kColumns, this)),
      grid_hint_(new QLabel(this)),
      legend_(this) {
  QFont title_font = title_->font();
  title_font.setBold(true);
  title_font.setPointSize(title_font.pointSize() + 3);
  title_->setFont(title_font);
  for (int c = 0; c < sc::kCount; ++c) {
    combos_[static_cast<std::size_t>(c)] = new QComboBox(this);
    combos_[static_cast<std::size_t>(c)]->setMinimumWidth(kComboWidth);
    labels_[static_cast<std::size_t>(c)] = new QLabel(this);
  }
  spark_->setValidator(new QIntValidator(0, kMaxWord, spark_));
  bad_bit_->setRange(0, page_.Controls().bad_bit_max);

  QGridLayout* ignition_rows = nullptr;
  QGridLayout* unused = nullptr;
  cards_[kSwitchCard] =
      ComboCard({sc::kSwtchRpm, sc::kSwtchTemp, sc::kSwtchIsteresi, sc::kSwitchSovrap,
                 sc::kTempoSeqInj, sc::kSwtchForce, sc::kTempoAutoCalda, sc::kSwitchDir},
                &unused);
  cards_[kIgnitionCard] =
      ComboCard({sc::kNumCilindri, sc::kNumBobine, sc::kFattorex1x2, sc::kSogliaTensRpm,
                 sc::kDefCicliRpm, sc::kFiloRpm, sc::kSpark},
                &ignition_rows);
  const int row = ignition_rows->rowCount();
  ignition_rows->addWidget(spark_label_, row, 0);
  ignition_rows->addWidget(spark_, row, 1);
  ignition_rows->addWidget(bad_bit_label_, row + 1, 0);
  auto* slider = new QHBoxLayout;
  slider->addWidget(bad_bit_, 1);
  slider->addWidget(bad_bit_value_);
  ignition_rows->addLayout(slider, row + 1, 1);
  cards_[kSystemCard] = ComboCard({sc::kConfSistema, sc::kConfSistemaId, sc::kTipoInj,
                                   sc::kTipoAlim, sc::kServizi, sc::kEmergenza, sc::kStartStop},
                                  &unused);
  cards_[kGridCard] = GridCard();
  cards_[kOptionsCard] = OptionsCard();

  auto* columns = new QGridLayout;
  columns->setSpacing(spacing::kGap);
  columns->addWidget(cards_[kSwitchCard], 0, 0);
  columns->addWidget(cards_[kIgnitionCard], 0, 1);
  columns->addWidget(cards_[kSystemCard], 0, 2);
  columns->addWidget(cards_[kGridCard], 1, 0);
  columns->addWidget(cards_[kOptionsCard], 1, 1, 1, 2);
  columns->setRowStretch(2, 1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  // The injection sequence as its own page last read it.
  sequence_ = new QLabel(this);
  sequence_->setObjectName(QStringLiteral("LblSequenza"));
  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(sequence_);
  outer->addLayout(top);
  outer->addLayout(columns, 1);

  repeat_.setInterval(dg::kRepeatMs);
  Connect();
  ShowCaptions();
  Refresh();
}

CardFrame* FrmKvxCommutazionePage::ComboCard(std::initializer_list<int> combos,
                                             QGridLayout** rows) {
  auto* card = new CardFrame(this);
  auto* grid = new QGridLayout;
  int row = 0;
  for (const int c : combos) {
    grid->addWidget(labels_[static_cast<std::size_t>(c)], row, 0);
    grid->addWidget(combos_[static_cast<std::size_t>(c)], row, 1);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  card->Body()->addLayout(grid);
  card->Body()->addStretch(1);
  *rows = grid;
  return card;
}

CardFrame* FrmKvxCommutazionePage::GridCard() {
  auto* card = new CardFrame(this);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid_->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  grid_->setMinimumWidth(2 * kGridCellWidth);
  grid_->setFixedHeight(dg::kRows * kGridRowHeight +
                        grid_->horizontalHeader()->sizeHint().height() + 2 * grid_->frameWidth());
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->installEventFilter(this);
  for (int r = 0; r < dg::kRows; ++r) {
    for (int c = 0; c < dg::kColumns; ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      grid_->setItem(r, c, item);
    }
  }
  grid_hint_->setWordWrap(true);
  grid_hint_->setStyleSheet(QStringLiteral("color: %1;").arg(Colour(palette::kTextMuted).name()));
  card->Body()->addWidget(grid_);
  card->Body()->addWidget(grid_hint_);
  return card;
}

CardFrame* FrmKvxCommutazionePage::OptionsCard() {
  auto* card = new CardFrame(this);
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < kCheckRowOrder.size(); ++i) {
    const auto row = static_cast<std::size_t>(kCheckRowOrder[i]);
    check_labels_[row] = new QLabel(card);
    grid->addWidget(check_labels_[row], static_cast<int>(i), 0);
    for (int b = 0; b < pages::sw_check::kBits; ++b) {
      auto* box = new QCheckBox(QString::number(1 << b), card);
      checks_[row][static_cast<std::size_t>(b)] = box;
      grid->addWidget(box, static_cast<int>(i), b + 1);
    }
  }
  grid->setColumnStretch(0, 1);
  card->Body()->addLayout(grid);
  card->Body()->addStretch(1);
  auto* legend = new QHBoxLayout;
  legend_.pending->setWordWrap(false);
  legend_.failed->setWordWrap(false);
  legend->addWidget(legend_.pending);
  legend->addWidget(legend_.failed);
  legend->addStretch(1);
  card->Body()->addLayout(legend);
  return card;
}

void FrmKvxCommutazionePage::Connect() {
  for (int c = 0; c < sc::kCount; ++c) {
    connect(combos_[static_cast<std::size_t>(c)], &QComboBox::activated, this,
            [this, c](int index) {
              page_.ComboClick(c, index);
              Refresh();
            });
  }
  connect(spark_, &QLineEdit::textEdited, this, [this](const QString& text) {
    page_.SparkTyped(text.toStdString());
    Refresh();
  });
  connect(spark_, &QLineEdit::editingFinished, this, [this] {
    page_.SparkCommit();
    Refresh();
  });
  connect(bad_bit_, &QSlider::valueChanged, this, [this](int value) {
    bad_bit_value_->setText(QString::number(value));
    if (!bad_bit_->isSliderDown()) {
      page_.BadBitChanged(value);
      Refresh();
    }
  });
  connect(bad_bit_, &QSlider::sliderReleased, this, [this] {
    page_.BadBitChanged(bad_bit_->value());
    Refresh();
  });
  for (int r = 0; r < pages::sw_check::kRows; ++r) {
    for (int b = 0; b < pages::sw_check::kBits; ++b) {
      connect(checks_[static_cast<std::size_t>(r)][static_cast<std::size_t>(b)],
              &QCheckBox::clicked, this, [this, r, b](bool checked) {
                page_.CheckClick(r, b, checked);
                Refresh();
              });
    }
  }
  connect(grid_, &QTableWidget::itemSelectionChanged, this, [this] { TakeGridSelection(); });
  connect(&repeat_, &QTimer::timeout, this, [this] {
    page_.GridRepeat();
    ShowGrid();
  });
}

void FrmKvxCommutazionePage::TakeGridSelection() {
  const auto ranges = grid_->selectedRanges();
  if (ranges.isEmpty()) {
    return;
  }
  const QTableWidgetSelectionRange& r = ranges.front();
  page_.GridSelect({r.topRow(), r.leftColumn(), r.bottomRow(), r.rightColumn()});
}

bool FrmKvxCommutazionePage::GridKey(QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  const bool pad = (key->modifiers() & Qt::KeypadModifier) != 0;
  int code = 0;
  if (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Equal) {
    code = pad ? dg::kKeyAddPad : dg::kKeyAdd;
  } else if (key->key() == Qt::Key_Minus) {
    code = pad ? dg::kKeySubtractPad : dg::kKeySubtract;
  } else if (event->type() == QEvent::KeyPress &&
             (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
    page_.GridEnter();
    Refresh();
    return true;
  }
  if (code == 0) {
    return false;
  }
  if (key->isAutoRepeat()) {
    return true;  // the page's own 150 ms repeat steps while the key is held
  }
  if (event->type() == QEvent::KeyPress) {
    if (page_.GridKeyDown(code, (key->modifiers() & Qt::ShiftModifier) != 0)) {
      repeat_.start();
    }
  } else {
    repeat_.stop();
    page_.GridKeyUp();
  }
  Refresh();
  return true;
}

bool FrmKvxCommutazionePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
      GridKey(event)) {
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

QComboBox* FrmKvxCommutazionePage::Combo(int combo) const {
  return combo >= 0 && combo < sc::kCount ? combos_[static_cast<std::size_t>(combo)] : nullptr;
}

QCheckBox* FrmKvxCommutazionePage::Check(int row, int bit) const {
  if (row < 0 || row >= pages::sw_check::kRows || bit < 0 || bit >= pages::sw_check::kBits) {
    return nullptr;
  }
  return checks_[static_cast<std::size_t>(row)][static_cast<std::size_t>(bit)];
}

void FrmKvxCommutazionePage::CaricaLingua() {
  if (lingue_ != nullptr) {
    page_.CaricaLingua(*lingue_);
  }
  ShowCaptions();
  Refresh();
}

void FrmKvxCommutazionePage::ShowCaptions() {
  const auto t = [this](int k) { return Q(page_.Text(k)); };
  title_->setText(t(ct::kTitle));
  setWindowTitle(t(ct::kTitle));
  cards_[kSwitchCard]->SetTitle(t(ct::kTitle));
  cards_[kIgnitionCard]->SetTitle(t(ct::kIgnition));
  cards_[kSystemCard]->SetTitle(t(ct::kSystemCard));
  cards_[kGridCard]->SetTitle(t(ct::kTemperatureGrid));
  cards_[kOptionsCard]->SetTitle(t(ct::kOptions));
  for (const pages::ComboSpec& s : pages::kComboSpecs) {
    labels_[static_cast<std::size_t>(s.combo)]->setText(t(s.caption));
  }
  spark_label_->setText(t(ct::kSparkSetting));
  bad_bit_label_->setText(t(ct::kBadBit));
  for (int r = 0; r < pages::sw_check::kRows; ++r) {
    check_labels_[static_cast<std::size_t>(r)]->setText(
        t(pages::kCheckSpecs[static_cast<std::size_t>(r)].caption));
  }
  grid_->setHorizontalHeaderLabels({t(ct::kGridTemperature), t(ct::kGridDelay)});
  grid_hint_->setText(t(ct::kGridKeys));
  legend_.SetTexts(page_.Text(ct::kPending), page_.Text(ct::kFailed));
}

void FrmKvxCommutazionePage::ShowCombos() {
  const pages::SwitchControls& c = page_.Controls();
  for (int i = 0; i < sc::kCount; ++i) {
    QComboBox* box = combos_[static_cast<std::size_t>(i)];
    const pages::SwitchCombo& combo = c.combos[static_cast<std::size_t>(i)];
    const QSignalBlocker b(box);
    QStringList items;
    for (const std::string& item : combo.items) {
      items << Q(item);
    }
    QStringList have;
    for (int k = 0; k < box->count(); ++k) {
      have << box->itemText(k);
    }
    if (have != items) {
      box->clear();
      box->addItems(items);
    }
    box->setCurrentIndex(combo.index);
    box->setStyleSheet(MarkStyle(combo.mark, QStringLiteral("QComboBox")));
    box->setToolTip(Q(page_.ComboTip(i)));
  }
}

void FrmKvxCommutazionePage::ShowGrid() {
  const pages::DelayGrid& g = page_.Grid();
  for (int r = 0; r < dg::kRows; ++r) {
    for (int col = 0; col < dg::kColumns; ++col) {
      QTableWidgetItem* item = grid_->item(r, col);
      item->setText(QString::number(g.Value(r, col)));
      item->setBackground(MarkBack(g.MarkOf(r, col)));
      item->setForeground(
          Colour(g.MarkOf(r, col) == pages::Mark::kFailed ? palette::kDanger : palette::kText));
      item->setToolTip(Q(page_.GridTip(r, col)));
    }
  }
}

void FrmKvxCommutazionePage::Refresh() {
  const pages::SwitchControls& c = page_.Controls();
  setEnabled(page_.Enabled());
  ShowCombos();
  if (!spark_->hasFocus() || !c.spark_tag) {
    spark_->setText(Q(c.spark_text));
  }
  spark_->setStyleSheet(MarkStyle(c.spark_mark, QStringLiteral("QLineEdit")));
  spark_->setToolTip(Q(page_.SparkTip()));
  spark_->setEnabled(c.combos[sc::kSpark].index == 1);
  {
    const QSignalBlocker b(bad_bit_);
    bad_bit_->setRange(0, c.bad_bit_max);
    bad_bit_->setValue(c.bad_bit);
  }
  bad_bit_value_->setText(QString::number(c.bad_bit));
  bad_bit_->setStyleSheet(MarkStyle(c.bad_bit_mark, QStringLiteral("QSlider")));
  bad_bit_->setToolTip(Q(page_.BadBitTip()));
  for (int r = 0; r < pages::sw_check::kRows; ++r) {
    for (int b = 0; b < pages::sw_check::kBits; ++b) {
      QCheckBox* box = checks_[static_cast<std::size_t>(r)][static_cast<std::size_t>(b)];
      const pages::OptionRow& row = c.checks[static_cast<std::size_t>(r)];
      const QSignalBlocker block(box);
      box->setChecked(row.checked[static_cast<std::size_t>(b)]);
      box->setStyleSheet(
          MarkStyle(row.marks[static_cast<std::size_t>(b)], QStringLiteral("QCheckBox")));
      box->setToolTip(Q(page_.CheckTip(r, b)));
    }
  }
  ShowGrid();
  sequence_->setText(Q(page_.SequenceCaption()));
}

}  // namespace velmora::ui
