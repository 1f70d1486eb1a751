#include "ui/frm_seq_inj_page.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace st = tuning::seq_text;
using config_ui::Q;

constexpr int kColumnWidth = 360;
constexpr double kLineScale = 1.4;

// The sequence lines keep their dashes under each other.
QLabel* NewLines(const char* name, QWidget& owner) {
  auto* label = new QLabel;
  label->setObjectName(name);
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setPointSizeF(ScaledFont(owner, kLineScale, true).pointSizeF());
  f.setBold(true);
  label->setFont(f);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, Colour(palette::kAccent));
  label->setPalette(p);
  return label;
}

}  // namespace

FrmSeqInjPage::FrmSeqInjPage(tuning::FrmSeqInj& model, QWidget* parent)
    : QWidget(parent), model_(model), title_(config_ui::NewTitle(*this)) {
  MakeControls();
  LayOut();
  CaricaLingua();
}

void FrmSeqInjPage::MakeControls() {
  sequence_ = NewLines("LblSequenza", *this);
  outputs_ = NewLines("LblOutGas", *this);
  status_ = config_ui::NewMuted();
  shifted_ = new QCheckBox;
  shifted_->setObjectName(QStringLiteral("chkanticipato"));
  // The box only shows the ECU's state: a click shows it again.
  connect(shifted_, &QCheckBox::clicked, this, [this] {
    model_.ShiftedClick();
    Refresh();
  });
  for (int i = 0; i < tuning::sequence_field::kMaxChannels; ++i) {
    channels_[static_cast<std::size_t>(i)] = config_ui::NewCombo("CmbNInj", [this, i](int index) {
      model_.ChannelClick(i, index);
      Refresh();
    });
    channel_labels_[static_cast<std::size_t>(i)] = new QLabel;
  }
  phase_ = config_ui::NewCombo("CMB_PhaseShifter", [this](int index) {
    model_.PhaseShifterClick(index);
    Refresh();
  });
  phase_label_ = new QLabel;
  phase_label_->setObjectName(QStringLiteral("LAB_PhaseShifter"));
  acquire_ = config_ui::NewButton("CmdAcquire", [this] {
    static_cast<void>(model_.CmdAcquire());
    Refresh();
  });
  reset_ = config_ui::NewButton("CmdResetSeq", [this] {
    static_cast<void>(model_.CmdResetSeq());
    Refresh();
  });
  close_ = config_ui::NewButton("CmdClose", [this] { model_.Close(); });
}

void FrmSeqInjPage::LayOut() {
  using config_ui::NewFormCard;
  sequence_card_ = NewFormCard();
  sequence_card_.grid->addWidget(sequence_, 0, 0, 1, 2);
  sequence_card_.grid->addWidget(shifted_, 1, 0, 1, 2);
  sequence_card_.grid->addWidget(status_, 2, 0, 1, 2);
  outputs_card_ = NewFormCard();
  outputs_card_.grid->addWidget(outputs_, 0, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(acquire_);
  buttons->addStretch(1);
  sequence_card_.grid->addLayout(buttons, 3, 0, 1, 2);
  channels_card_ = NewFormCard();
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    const int row = channels_card_.grid->rowCount();
    channels_card_.grid->addWidget(channel_labels_[i], row, 0);
    channels_card_.grid->addWidget(channels_[i], row, 1);
  }
  channels_card_.grid->addWidget(reset_, channels_card_.grid->rowCount(), 0, 1, 2);
  phase_card_ = NewFormCard();
  phase_card_.grid->addWidget(phase_label_, 0, 0);
  phase_card_.grid->addWidget(phase_, 0, 1);

  auto* body = new QHBoxLayout;
  body->setSpacing(spacing::kGap);
  QVBoxLayout* left = config_ui::NewColumn(body, kColumnWidth);
  left->addWidget(sequence_card_.card);
  left->addWidget(outputs_card_.card);
  QVBoxLayout* right = config_ui::NewColumn(body, kColumnWidth);
  right->addWidget(channels_card_.card);
  right->addWidget(phase_card_.card);
  body->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(close_);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addLayout(top);
  page->addLayout(body);
  page->addStretch(1);
}

void FrmSeqInjPage::CaricaLingua() {
  model_.CaricaLingua();
  const tuning::FrmSeqInj& m = model_;
  title_->setText(Q(m.Text(st::kPageString)));
  setWindowTitle(title_->text());
  sequence_card_.card->SetTitle(Q(m.Text(st::kReported)));
  outputs_card_.card->SetTitle(Q(m.Text(st::kOutGasTitle)));
  channels_card_.card->SetTitle(Q(m.Text(st::kAssignment)));
  phase_card_.card->SetTitle(Q(m.Text(st::kPhaseShifter)));
  phase_label_->setText(Q(m.Text(st::kPhaseShifter)));
  shifted_->setText(Q(m.Text(st::kShifted)));
  acquire_->setText(Q(m.Text(st::kAcquire)));
  reset_->setText(Q(m.Text(st::kReset)));
  close_->setText(Q(m.Text(st::kClose)));
  for (std::size_t i = 0; i < channel_labels_.size(); ++i) {
    channel_labels_[i]->setText(Q(m.Text(st::kChannel)) + QStringLiteral(" %1").arg(i + 1));
  }
  Refresh();
}

void FrmSeqInjPage::ShowChannels() {
  const tuning::SeqControls& c = model_.Controls();
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    QComboBox* combo = channels_[i];
    const tuning::ChannelBox& box = c.channels[i];
    combo->setVisible(c.show_channels && box.visible);
    channel_labels_[i]->setVisible(combo->isVisibleTo(this));
    if (combo->view()->isVisible()) {
      continue;  // the fitter is choosing
    }
    const QSignalBlocker quiet(combo);
    if (combo->count() != static_cast<int>(box.items.size())) {
      combo->clear();
      for (const std::string& item : box.items) {
        combo->addItem(Q(item));
      }
    }
    // A word that is no output of the list shows as a placeholder.
    combo->setPlaceholderText(Q(box.text));
    combo->setCurrentIndex(box.index);
    combo->setEnabled(box.enabled && model_.Enabled());
  }
}

void FrmSeqInjPage::Refresh() {
  const tuning::SeqControls& c = model_.Controls();
  sequence_->setText(Q(c.sequence));
  outputs_->setText(Q(c.output_line + "\n" + c.channel_line));
  status_->setText(Q(c.status));
  status_->setVisible(!c.status.empty());
  {
    const QSignalBlocker quiet(shifted_);
    shifted_->setChecked(c.shifted);
  }
  ShowChannels();
  config_ui::ShowCombo(phase_, c.phase_shifter);
  sequence_card_.card->setVisible(c.show_sequence);
  outputs_card_.card->setVisible(c.show_sequence);
  channels_card_.card->setVisible(c.show_channels);
  phase_card_.card->setVisible(c.show_phase);
  acquire_->setEnabled(model_.Enabled());
  reset_->setEnabled(model_.Enabled());
}

std::unique_ptr<pages::PageModel> NewSeqInjPageModel(PageEnv& env, int code) {
  return tuning::NewSeqInjModel(env.page, code);
}

PageView SeqInjView(const ViewEnv& /*env*/, pages::PageModel& model) {
  auto* m = ModelOf<tuning::FrmSeqInj>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmSeqInjPage(*m);
  return {page, [page] { page->Refresh(); }};
}

}  // namespace velmora::ui
