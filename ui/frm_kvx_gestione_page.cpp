#include "ui/frm_kvx_gestione_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/card_frame.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace mt = pages::management_text;
namespace rc = pages::record_combo;
namespace wc = pages::word_combo;
using config_ui::Q;

constexpr int kOptionSize = 26;
constexpr int kColumnWidth = 340;

constexpr std::array<const char*, rc::kCount> kRecordNames = {
    "CmbTempoMortoBenz", "cmbGiriMinimo",  "cmbGiriA",      "cmbGiriDaQVD",
    "cmbTempoInjBenQVD", "cmbValoreContr", "cmbGiriFineQVD"};
constexpr std::array<const char*, wc::kCount> kWordNames = {"CmbMonoFuel",
                                                            "CmbMinOn",
                                                            "CmbTempoMortoGas",
                                                            "cmb_maxduty_time",
                                                            "cmb_maxduty_isteresi",
                                                            "cmb_maxduty_enter",
                                                            "cmb_maxp_isteresi_rpm",
                                                            "cmb_maxp_isteresi_tinj",
                                                            "CmbNumIniettateRientro",
                                                            "cmbContrIDCicli",
                                                            "cmbsogliauscitapress"};

}  // namespace

FrmKvxGestionePage::FrmKvxGestionePage(pages::FrmKvxGestione& model, QWidget* parent)
    : QWidget(parent), model_(model), title_(config_ui::NewTitle(*this)) {
  MakeControls();
  LayOut();
  CaricaLingua();
}

void FrmKvxGestionePage::MakeControls() {
  for (int i = 0; i < rc::kCount; ++i) {
    record_[static_cast<std::size_t>(i)] =
        config_ui::NewCombo(kRecordNames[static_cast<std::size_t>(i)], [this, i](int index) {
          model_.ChooseRecord(i, index);
          Refresh();
        });
  }
  for (int i = 0; i < wc::kCount; ++i) {
    words_[static_cast<std::size_t>(i)] =
        config_ui::NewCombo(kWordNames[static_cast<std::size_t>(i)], [this, i](int index) {
          model_.ChooseWord(i, index);
          Refresh();
        });
  }
  for (int i = 0; i < pages::record_byte::kFeedingChoices; ++i) {
    const auto option = [this, i](bool high) {
      return config_ui::NewButton(high ? "optionHigh" : "optionLow", [this, i, high] {
        high ? model_.ChooseHighFeeding(i) : model_.ChooseLowFeeding(i);
        Refresh();
      });
    };
    high_[static_cast<std::size_t>(i)] = option(true);
    low_[static_cast<std::size_t>(i)] = option(false);
  }
  sequence_ = config_ui::NewButton("CmdSeqInj", [this] { model_.OpenSequence(); });
  advanced_ = config_ui::NewButton("CMDAdvanced", [this] {
    model_.ToggleAdvanced();
    Refresh();
  });
  fuel_ = config_ui::NewValue("LblStatoCarburante");
  rpm_ = config_ui::NewValue("LblStatoGiri");
}

void FrmKvxGestionePage::AddRecordRow(config_ui::FormCard& card, int combo, int text) {
  record_captions_[static_cast<std::size_t>(combo)] =
      config_ui::AddRow(card, record_[static_cast<std::size_t>(combo)]);
  captions_.emplace_back(record_captions_[static_cast<std::size_t>(combo)], text);
}

void FrmKvxGestionePage::AddWordRow(config_ui::FormCard& card, int combo, int text) {
  captions_.emplace_back(config_ui::AddRow(card, words_[static_cast<std::size_t>(combo)]), text);
}

void FrmKvxGestionePage::AddOptions(config_ui::FormCard& card, Options& buttons,
                                    std::array<QLabel*, 3>& labels) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    buttons[i]->setFixedSize(kOptionSize, kOptionSize);
    labels[i] = new QLabel;
    auto* row = new QHBoxLayout;
    row->addWidget(buttons[i]);
    row->addWidget(labels[i], 1);
    card.grid->addLayout(row, card.grid->rowCount(), 0, 1, 2);
    captions_.emplace_back(labels[i], mt::kFeedingTypes + static_cast<int>(i));
  }
}

void FrmKvxGestionePage::LayOut() {
  using config_ui::NewFormCard;
  injectors_card_ = NewFormCard();
  AddRecordRow(injectors_card_, rc::kPetrolDeadTime, 2);
  AddWordRow(injectors_card_, wc::kGasDeadTime, 3);
  AddWordRow(injectors_card_, wc::kMinOpening, 4);
  AddWordRow(injectors_card_, wc::kMonoFuel, 24);
  contribution_card_ = NewFormCard();
  AddRecordRow(contribution_card_, rc::kContribution, 15);
  AddWordRow(contribution_card_, wc::kContributionCycles, 16);
  state_card_ = NewFormCard();
  captions_.emplace_back(config_ui::AddRow(state_card_, fuel_), mt::kFuelInUse);
  captions_.emplace_back(config_ui::AddRow(state_card_, rpm_), mt::kEngineSpeed);
  state_card_.grid->addWidget(sequence_, state_card_.grid->rowCount(), 0, 1, 2);
  high_card_ = NewFormCard();
  AddOptions(high_card_, high_, high_labels_);
  AddRecordRow(high_card_, rc::kFromSpeed, 12);
  AddRecordRow(high_card_, rc::kToSpeed, 13);
  low_card_ = NewFormCard();
  AddOptions(low_card_, low_, low_labels_);
  AddRecordRow(low_card_, rc::kIdleSpeed, 10);
  AddRecordRow(low_card_, rc::kUpToSpeed, 11);
  AddRecordRow(low_card_, rc::kPetrolTime, 14);
  advanced_card_ = NewFormCard();
  const std::array<std::pair<int, int>, 7> advanced = {{{wc::kMaxDutyTime, 17},
                                                        {wc::kMaxDutyHysteresis, 18},
                                                        {wc::kMaxDutyCheck, 19},
                                                        {wc::kMaxPowerRpm, 20},
                                                        {wc::kMaxPowerTime, 21},
                                                        {wc::kReturnInjections, 22},
                                                        {wc::kExitPressure, 23}}};
  for (const auto& [combo, text] : advanced) {
    AddWordRow(advanced_card_, combo, text);
  }
  auto* body = new QHBoxLayout;
  body->setSpacing(spacing::kGap);
  QVBoxLayout* left = config_ui::NewColumn(body, kColumnWidth);
  left->addWidget(injectors_card_.card);
  left->addWidget(contribution_card_.card);
  left->addWidget(state_card_.card);
  QVBoxLayout* middle = config_ui::NewColumn(body, kColumnWidth);
  middle->addWidget(high_card_.card);
  middle->addWidget(low_card_.card);
  QVBoxLayout* right = config_ui::NewColumn(body, kColumnWidth);
  right->addWidget(advanced_card_.card);
  body->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(advanced_);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addLayout(top);
  page->addLayout(body);
  page->addStretch(1);
}

void FrmKvxGestionePage::CaricaLingua() {
  model_.CaricaLingua();
  const pages::FrmKvxGestione& m = model_;
  title_->setText(Q(m.Text(mt::kCaption)));
  setWindowTitle(title_->text());
  for (const auto& [label, text] : captions_) {
    label->setText(Q(m.Text(text)));
  }
  injectors_card_.card->SetTitle(Q(m.Text(mt::kInjectors)));
  contribution_card_.card->SetTitle(Q(m.Text(mt::kFeedingTypes + 1)));
  state_card_.card->SetTitle(Q(m.Text(mt::kEcuState)));
  high_card_.card->SetTitle(Q(m.Text(mt::kHighFeeding)));
  low_card_.card->SetTitle(Q(m.Text(mt::kLowFeeding)));
  advanced_card_.card->SetTitle(Q(m.Text(mt::kAdvanced)));
  sequence_->setText(Q(m.Text(mt::kSequence)));
  Refresh();
}

void FrmKvxGestionePage::ShowOptions(const Options& buttons, int chosen, bool enabled) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    buttons[i]->setText(static_cast<int>(i) == chosen ? QStringLiteral("X") : QString());
    buttons[i]->setEnabled(enabled);
  }
}

void FrmKvxGestionePage::Refresh() {
  const pages::ManagementControls& c = model_.Controls();
  for (std::size_t i = 0; i < record_.size(); ++i) {
    config_ui::ShowCombo(record_[i], c.record[i]);
    const bool shown = model_.RecordComboShown(static_cast<int>(i));
    record_[i]->setVisible(shown);
    record_captions_[i]->setVisible(shown);
  }
  for (std::size_t i = 0; i < words_.size(); ++i) {
    config_ui::ShowCombo(words_[i], c.words[i]);
  }
  ShowOptions(high_, c.high_feeding, c.record_known);
  ShowOptions(low_, c.low_feeding, c.record_known);
  advanced_card_.card->setVisible(c.advanced);
  advanced_->setText(Q(model_.AdvancedCaption()));
  fuel_->setText(Q(model_.State().fuel));
  rpm_->setText(Q(model_.State().rpm));
}

}  // namespace velmora::ui
