#include "ui/frm_obd_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/card_frame.h"
#include "ui/frm_init_obd.h"
#include "ui/obd_live_card.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

using diag::ObdControl;
namespace ot = diag::obd_text;
namespace tt = diag::tuning_text;

enum class Kind { kCombo, kCheck };
enum class Block { kObd, kTuning, kInjDir };
enum class Card { kLink, kAdaptation, kDtc };

// Where each control sits and which text captions it.
struct ControlView {
  ObdControl id;
  Kind kind;
  Block block;
  int text;
  const char* name;
  Card card;
};

constexpr std::array<ControlView, 20> kViews = {{
    {ObdControl::kLink, Kind::kCombo, Block::kObd, ot::kLink, "CmbAbilObd", Card::kLink},
    {ObdControl::kManagement, Kind::kCombo, Block::kObd, ot::kManagement, "CmbGestObd",
     Card::kLink},
    {ObdControl::kProtocolChoice, Kind::kCombo, Block::kObd, ot::kProtocol, "CmbTipoObd",
     Card::kLink},
    {ObdControl::kBank2, Kind::kCheck, Block::kObd, ot::kBank2, "ChkBankB2", Card::kLink},
    {ObdControl::kRailPid, Kind::kCombo, Block::kInjDir, diag::injdir_text::kRailPid,
     "cmbPIDPressRail", Card::kLink},
    {ObdControl::kAcquisitionPeriod, Kind::kCombo, Block::kTuning, tt::kPeriod, "CmbPeriodAcq",
     Card::kAdaptation},
    {ObdControl::kMaxCorrection, Kind::kCombo, Block::kTuning, tt::kPeriod + 1, "CmbMaxValCorr",
     Card::kAdaptation},
    {ObdControl::kMinDifference, Kind::kCombo, Block::kTuning, tt::kPeriod + 2, "CmbMiDiff",
     Card::kAdaptation},
    {ObdControl::kVacuumThreshold, Kind::kCombo, Block::kTuning, tt::kPeriod + 3, "CmbSogliaVac",
     Card::kAdaptation},
    {ObdControl::kTarget, Kind::kCombo, Block::kTuning, tt::kPeriod + 4, "CmbTarget",
     Card::kAdaptation},
    {ObdControl::kClosedLoopDelay, Kind::kCombo, Block::kTuning, tt::kPeriod + 5,
     "CmbClosedLoopDelay", Card::kAdaptation},
    {ObdControl::kAdaptationHours, Kind::kCombo, Block::kTuning, tt::kPeriod + 6, "CmbOreAdat",
     Card::kAdaptation},
    {ObdControl::kAdaptationTemp, Kind::kCombo, Block::kTuning, tt::kPeriod + 7, "CmbTempAdat",
     Card::kAdaptation},
    {ObdControl::kAdaptationRpm, Kind::kCombo, Block::kTuning, tt::kPeriod + 8, "CmbSOH_RPM_ADAT",
     Card::kAdaptation},
    {ObdControl::kMapDivider, Kind::kCombo, Block::kObd, ot::kMapDivider, "CMB_divMappaObd",
     Card::kAdaptation},
    {ObdControl::kBlockObd, Kind::kCheck, Block::kTuning, tt::kBlockObd, "chkbloccaOBD",
     Card::kDtc},
    {ObdControl::kMilKeyOn, Kind::kCheck, Block::kTuning, tt::kMilKeyOn, "CHK_SpegniSpiaKeyOn",
     Card::kDtc},
    {ObdControl::kMilKeyOff, Kind::kCheck, Block::kTuning, tt::kMilKeyOff, "CHK_SpegniSpiaKeyOff",
     Card::kDtc},
    {ObdControl::kMilPermanent, Kind::kCheck, Block::kTuning, tt::kMilAlways,
     "CHK_SpegniSpiaPermanente", Card::kDtc},
    {ObdControl::kMilOnce, Kind::kCheck, Block::kTuning, tt::kMilOnce, "CHK_SpegniSpiaOneShot",
     Card::kDtc},
}};

constexpr int kListHeight = 96;

std::size_t Index(ObdControl id) {
  return static_cast<std::size_t>(id);
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

const diag::BlockTexts& BlockOf(const diag::ObdTexts& t, Block b) {
  return b == Block::kObd ? t.obd : (b == Block::kTuning ? t.tuning : t.injdir);
}

QPushButton* NewButton(const char* name) {
  auto* b = new QPushButton;
  b->setObjectName(name);
  return b;
}

QStringList ItemsOf(const QListWidget& list) {
  QStringList items;
  for (int i = 0; i < list.count(); ++i) {
    items.append(list.item(i)->text());
  }
  return items;
}

}  // namespace

FrmObdPage::FrmObdPage(diag::FrmObd& page, QString title, QWidget* parent)
    : QWidget(parent),
      page_(page),
      title_(std::move(title)),
      heading_(new QLabel),
      run_(NewButton("CmdRunObd")),
      stop_(NewButton("CmdStopObd")),
      map_(NewButton("CmdMappetta")),
      advanced_(NewButton("CMDAdvanced")),
      link_card_(new CardFrame),
      technical_(new QLabel),
      live_card_(new ObdLiveCard),
      adaptation_card_(new CardFrame),
      dtc_card_(new CardFrame),
      dtc_(new QLineEdit),
      add_dtc_(NewButton("CHK_AggiungiErrore")),
      selective_(new QListWidget),
      remove_dtc_(NewButton("CHK_TogliErrore")),
      stored_title_(new QLabel),
      stored_(new QListWidget),
      mil_(new QLabel),
      notice_(new QLabel),
      start_window_(new FrmInitObd(this)) {
  setObjectName("FrmObd");
  technical_->setObjectName("LblNumEcuObd");
  dtc_->setObjectName("TXT_Errore");
  selective_->setObjectName("LST_Selettivo");
  adaptation_card_->setObjectName("FRM_OBDADV_1");
  dtc_card_->setObjectName("FRM_OBDADV_2");
  MakeControls();
  LayOut();
  Connect();
  CaricaLingua();
}

FrmObdPage::~FrmObdPage() = default;

void FrmObdPage::MakeControls() {
  for (const ControlView& v : kViews) {
    QWidget* w = v.kind == Kind::kCombo ? static_cast<QWidget*>(new QComboBox)
                                        : static_cast<QWidget*>(new QCheckBox);
    w->setObjectName(v.name);
    controls_[Index(v.id)] = w;
    captions_[Index(v.id)] = v.kind == Kind::kCombo ? new QLabel : nullptr;
  }
  QFont big = heading_->font();
  big.setPointSize(big.pointSize() + 3);
  big.setBold(true);
  heading_->setFont(big);
  notice_->setWordWrap(true);
  notice_->setStyleSheet(QStringLiteral("color: #C9403A;"));
  selective_->setFixedHeight(kListHeight);
  stored_->setFixedHeight(kListHeight);
  stored_->setSelectionMode(QAbstractItemView::NoSelection);
}

void FrmObdPage::LayOut() {
  std::array<QGridLayout*, 3> forms = {new QGridLayout, new QGridLayout, new QGridLayout};
  for (const ControlView& v : kViews) {
    QGridLayout* form = forms[static_cast<std::size_t>(v.card)];
    const int row = form->rowCount();
    if (QLabel* caption = captions_[Index(v.id)]) {
      form->addWidget(caption, row, 0);
      form->addWidget(controls_[Index(v.id)], row, 1);
    } else {
      form->addWidget(controls_[Index(v.id)], row, 0, 1, 2);
    }
  }
  link_card_->Body()->addLayout(forms[0]);
  link_card_->Body()->addWidget(technical_);
  adaptation_card_->Body()->addLayout(forms[1]);
  adaptation_card_->Body()->addStretch(1);
  auto* entry = new QHBoxLayout;
  entry->addWidget(dtc_);
  entry->addWidget(add_dtc_);
  auto* lists = new QGridLayout;
  lists->addLayout(entry, 0, 0);
  lists->addWidget(selective_, 1, 0);
  lists->addWidget(remove_dtc_, 2, 0);
  lists->addWidget(stored_title_, 0, 1);
  lists->addWidget(stored_, 1, 1);
  lists->addWidget(mil_, 2, 1);
  dtc_card_->Body()->addLayout(forms[2]);
  dtc_card_->Body()->addLayout(lists);
  dtc_card_->Body()->addWidget(notice_);
  dtc_card_->Body()->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addWidget(heading_);
  top->addStretch(1);
  for (QPushButton* b : {run_, stop_, map_, advanced_}) {
    top->addWidget(b);
  }
  auto* grid = new QGridLayout;
  grid->setSpacing(spacing::kGap);
  grid->addWidget(link_card_, 0, 0);
  grid->addWidget(adaptation_card_, 1, 0);
  grid->addWidget(dtc_card_, 1, 0);
  grid->addWidget(live_card_, 0, 1, 2, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  grid->setRowStretch(1, 1);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->setSpacing(spacing::kGap);
  page->addLayout(top);
  page->addLayout(grid, 1);
}

void FrmObdPage::Connect() {
  for (const ControlView& v : kViews) {
    if (auto* combo = Combo(v.id)) {
      connect(combo, &QComboBox::activated, this, [this, id = v.id](int index) {
        page_.Choose(id, index);
        Refresh();
      });
    } else if (auto* check = Check(v.id)) {
      connect(check, &QCheckBox::clicked, this, [this, id = v.id](bool on) {
        page_.Choose(id, on ? 1 : 0);
        Refresh();
      });
    }
  }
  const auto act = [this](QPushButton* b, auto action) {
    connect(b, &QPushButton::clicked, this, [this, action] {
      action();
      Refresh();
    });
  };
  act(run_, [this] { page_.Choose(ObdControl::kRun, 1); });
  act(stop_, [this] { page_.Choose(ObdControl::kStop, 1); });
  act(map_, [this] { page_.OpenMapWindow(); });
  act(advanced_, [this] { page_.ToggleAdvanced(); });
  act(add_dtc_, [this] { page_.AddDtc(); });
  act(remove_dtc_, [this] { page_.RemoveDtc(); });
  connect(dtc_, &QLineEdit::textEdited, this,
          [this](const QString& text) { page_.SetDtcText(text.toStdString()); });
  connect(dtc_, &QLineEdit::returnPressed, add_dtc_, &QPushButton::click);
  connect(selective_, &QListWidget::currentRowChanged, this,
          [this](int row) { page_.SelectDtc(row); });
  start_window_->SetOnCancel([this] { page_.CloseStartWindow(); });
}

QComboBox* FrmObdPage::Combo(ObdControl id) const {
  return qobject_cast<QComboBox*>(controls_.at(Index(id)));
}

QCheckBox* FrmObdPage::Check(ObdControl id) const {
  return qobject_cast<QCheckBox*>(controls_.at(Index(id)));
}

void FrmObdPage::CaricaLingua() {
  page_.CaricaLingua();
  const diag::ObdTexts& t = page_.Texts();
  heading_->setText(Q(t.obd[ot::kCaption]));
  run_->setText(Q(t.obd[ot::kRun]));
  stop_->setText(Q(t.obd[ot::kStop]));
  map_->setText(Q(t.obd[ot::kCorrectionMap]));
  link_card_->SetTitle(Q(t.obd[ot::kLink]));
  adaptation_card_->SetTitle(Q(t.tuning[tt::kAdaptation]));
  dtc_card_->SetTitle(Q(t.obd[ot::kDtc]) + QStringLiteral(" - ") + Q(t.obd[ot::kMil]));
  live_card_->SetTexts(t);
  for (const ControlView& v : kViews) {
    const QString text = Q(BlockOf(t, v.block)[v.text]);
    if (QLabel* caption = captions_[Index(v.id)]) {
      caption->setText(text);
      auto* combo = Combo(v.id);
      const QSignalBlocker quiet(combo);
      combo->clear();
      for (const std::string& item : page_.Control(v.id).items) {
        combo->addItem(Q(item));
      }
    } else {
      Check(v.id)->setText(text);
    }
  }
  add_dtc_->setText(Q(t.obd[ot::kAddCode]));
  remove_dtc_->setText(Q(t.obd[ot::kRemoveCode]));
  dtc_->setPlaceholderText(Q(t.tuning[tt::kSelective]));
  stored_title_->setText(Q(t.obd[ot::kStoredDtcs]));
  start_window_->SetTexts(title_, Q(t.obd[ot::kStarting]), Q(t.obd[ot::kCancel]));
  Refresh();
}

void FrmObdPage::ShowControls() {
  for (const ControlView& v : kViews) {
    const diag::ObdControlState& c = page_.Control(v.id);
    if (auto* combo = Combo(v.id)) {
      const QSignalBlocker quiet(combo);
      combo->setCurrentIndex(c.choice);
      // A value the list does not offer is shown as the ECU holds it.
      combo->setPlaceholderText(c.unlisted.empty() ? QString()
                                                   : QStringLiteral("ECU: ") + Q(c.unlisted));
    } else if (auto* check = Check(v.id)) {
      const QSignalBlocker quiet(check);
      check->setChecked(c.choice == 1);
    }
  }
  const bool running = page_.Running();
  run_->setEnabled(!running);
  stop_->setEnabled(running);
  advanced_->setText(Q(page_.AdvancedCaption()));
  adaptation_card_->setVisible(!page_.Advanced());
  dtc_card_->setVisible(page_.Advanced());
}

void FrmObdPage::ShowDtcs() {
  const diag::DtcDisplay& d = page_.Dtcs();
  const diag::ObdTexts& t = page_.Texts();
  QStringList selective;
  for (const std::string& code : d.selective) {
    selective.append(Q(code));
  }
  if (selective != ItemsOf(*selective_)) {
    const QSignalBlocker quiet(selective_);
    selective_->clear();
    selective_->addItems(selective);
  }
  stored_->clear();
  for (const std::string& code : d.stored) {
    stored_->addItem(Q(code));
  }
  if (d.stored_read && d.stored.empty()) {
    stored_->addItem(Q(t.obd[ot::kNoStoredDtcs]));
  }
  mil_->setText(Q(t.obd[ot::kMil]) + QStringLiteral(": ") +
                Q(t.obd[d.mil_on ? ot::kMilOn : ot::kMilOff]));
  notice_->setText(Q(page_.Notice()));
  notice_->setVisible(!page_.Notice().empty());
}

void FrmObdPage::Refresh() {
  ShowControls();
  technical_->setText(Q(page_.TechnicalData()));
  live_card_->Show(page_.Live(), page_.Texts());
  ShowDtcs();
  if (page_.StartWindowShown()) {
    start_window_->ShowProtocol(Q(page_.StartProtocol()));
    if (!start_window_->isVisible()) {
      start_window_->show();
    }
  } else if (start_window_->isVisible()) {
    start_window_->hide();
  }
}

}  // namespace velmora::ui
