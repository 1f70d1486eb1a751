#include "ui/frm_kvx_lambda_page.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/bar_widget.h"
#include "ui/card_frame.h"
#include "ui/config_widgets.h"
#include "ui/emulation_grid.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace lt = pages::lambda_text;
using config_ui::Q;

constexpr double kProbeMaxMv = 1000;
constexpr int kLevelWidth = 90;
constexpr int kSideWidth = 390;

// The captions of the rows, in the order they are made.
constexpr std::array<int, 10> kRowTexts = {
    lt::kProbeType, lt::kProbe1,  lt::kProbe2,      lt::kFilter,      lt::kEmulation,
    lt::kDelay,     lt::kHighPre, lt::kHighPre + 1, lt::kHighPre + 2, lt::kHighPre + 3};
constexpr std::array<int, 4> kProbeTexts = {lt::kLive1Pre, lt::kLive2Pre, lt::kLive1Post,
                                            lt::kLive2Post};
constexpr std::array<const char*, 4> kLevelNames = {"TxtEmulLevAltoAnte", "TxtEmulLevBassoAnte",
                                                    "TxtEmulLevAltoPost", "TxtEmulLevBassoPost"};

}  // namespace

FrmKvxLambdaPage::FrmKvxLambdaPage(pages::FrmKvxLambda& model, QWidget* parent)
    : QWidget(parent), model_(model), title_(config_ui::NewTitle(*this)) {
  MakeControls();
  LayOut();
  CaricaLingua();
}

void FrmKvxLambdaPage::MakeControls() {
  using config_ui::NewCombo;
  pages::FrmKvxLambda& m = model_;
  const auto then = [this](auto handler) {
    return [this, handler](int i) {
      handler(i);
      Refresh();
    };
  };
  probe_type_ = NewCombo("CmbSondaSel", then([&m](int i) { m.ChooseProbeType(i); }));
  probe1_ = NewCombo("CmbSonda1", then([&m](int i) { m.ChooseProbe1(i); }));
  probe2_ = NewCombo("CmbSonda2", then([&m](int i) { m.ChooseProbe2(i); }));
  filter_ = NewCombo("CmbFiltro", then([&m](int i) { m.ChooseFilter(i); }));
  emulation_ = NewCombo("CmbAbilEmula", then([&m](int i) { m.ChooseEmulation(i); }));
  delay_ = NewCombo("CmbRitardo", then([&m](int i) { m.ChooseDelay(i); }));
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    auto* box = new QLineEdit;
    box->setObjectName(kLevelNames[i]);
    box->setFixedWidth(kLevelWidth);
    box->setAlignment(Qt::AlignRight);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this,
            [this, i](const QString& t) { model_.LevelEdited(i, t.toStdString()); });
    connect(box, &QLineEdit::returnPressed, this, [this, i] {
      model_.LevelEntered(i);
      levels_[i]->setText(Q(model_.Controls().levels[i].text));
      Refresh();
    });
    levels_[i] = box;
  }
  grid_ = new EmulationGrid;
  connect(grid_, &EmulationGrid::StepRequested, this, &FrmKvxLambdaPage::Step);
  connect(grid_, &EmulationGrid::EnterPressed, this, [this] {
    if (grid_->currentRow() > 0 && grid_->currentColumn() > 0) {
      model_.SelectCells(grid_->SelectedCells());
      model_.CellEnter();
      Refresh();
    }
  });
  for (std::size_t i = 0; i < probes_.size(); ++i) {
    probes_[i] = new BarWidget;
    probes_[i]->SetCompact(true);
    probes_[i]->SetScale(0, kProbeMaxMv, 0);
    probes_[i]->SetUnit(QStringLiteral("mV"));
    probes_[i]->SetMarker(pages::lambda_field::kStoichiometricMv);
  }
  for (QLabel*& caption : captions_) {
    caption = new QLabel;
  }
  legend_ = config_ui::NewMuted();
  step_note_ = config_ui::NewMuted();
  emulating_ = new QLabel;
  emulating_->setObjectName("LblEmulazioneAttiva");
  emulating_->setStyleSheet(QStringLiteral("color: #2E8B57; font-weight: bold;"));
}

void FrmKvxLambdaPage::LayOut() {
  auto* wiring = new QGridLayout;
  wiring_card_ = new CardFrame;
  wiring_card_->Body()->addLayout(wiring);
  const std::array<QWidget*, 4> wiring_controls = {probe_type_, probe1_, probe2_, filter_};
  for (int i = 0; i < 4; ++i) {
    wiring->addWidget(captions_[static_cast<std::size_t>(i)], i, 0);
    wiring->addWidget(wiring_controls[static_cast<std::size_t>(i)], i, 1);
  }
  auto* emulation = new QGridLayout;
  emulation_card_ = new CardFrame;
  emulation_card_->Body()->addLayout(emulation);
  emulation->addWidget(captions_[4], 0, 0);
  emulation->addWidget(emulation_, 0, 1);
  emulation->addWidget(captions_[5], 1, 0);
  emulation->addWidget(delay_, 1, 1);
  for (int i = 0; i < 4; ++i) {
    emulation->addWidget(captions_[static_cast<std::size_t>(6 + i)], 2 + i, 0);
    emulation->addWidget(levels_[static_cast<std::size_t>(i)], 2 + i, 1, Qt::AlignRight);
  }
  emulation->addWidget(step_note_, 6, 0, 1, 2);
  live_card_ = new CardFrame;
  for (BarWidget* bar : probes_) {
    live_card_->Body()->addWidget(bar);
  }
  live_card_->Body()->addWidget(emulating_);

  auto* side = new QVBoxLayout;
  side->addWidget(wiring_card_);
  side->addWidget(emulation_card_);
  side->addWidget(live_card_, 1);
  auto* side_box = new QWidget;
  side_box->setLayout(side);
  side_box->setFixedWidth(kSideWidth);
  side->setContentsMargins(0, 0, 0, 0);

  table_card_ = new CardFrame;
  table_card_->Body()->addWidget(grid_, 1);
  table_card_->Body()->addWidget(legend_);
  auto* body = new QHBoxLayout;
  body->addWidget(side_box);
  body->addSpacing(spacing::kGap);
  body->addWidget(table_card_, 1);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addWidget(title_);
  page->addLayout(body, 1);
}

void FrmKvxLambdaPage::CaricaLingua() {
  model_.CaricaLingua();
  const pages::FrmKvxLambda& m = model_;
  title_->setText(Q(m.Text(lt::kCaption)));
  setWindowTitle(title_->text());
  wiring_card_->SetTitle(Q(m.Text(lt::kWiring)));
  emulation_card_->SetTitle(Q(m.Text(lt::kEmulation)));
  table_card_->SetTitle(Q(m.Text(lt::kTable)) + QStringLiteral("  \u2014  ") +
                        Q(m.Text(lt::kRpmAxis)) + QStringLiteral(" / ") + Q(m.Text(lt::kBarAxis)));
  live_card_->SetTitle(Q(m.Text(lt::kLiveValues)));
  for (std::size_t i = 0; i < kRowTexts.size(); ++i) {
    captions_[i]->setText(Q(m.Text(kRowTexts[i])));
  }
  legend_->setText(QStringLiteral("\u00B1 ") + Q(m.Text(lt::kOffsetRows)) +
                   QStringLiteral("     V ") + Q(m.Text(lt::kValueRows)));
  step_note_->setText(Q(m.Text(lt::kVoltageStep)));
  emulating_->setText(Q(m.Text(lt::kEmulating)));
  Refresh();
}

void FrmKvxLambdaPage::Refresh() {
  const pages::LambdaControls& c = model_.Controls();
  config_ui::ShowCombo(probe_type_, c.probe_type);
  config_ui::ShowCombo(probe1_, c.probe1);
  config_ui::ShowCombo(probe2_, c.probe2);
  config_ui::ShowCombo(filter_, c.filter);
  config_ui::ShowCombo(emulation_, c.emulation);
  config_ui::ShowCombo(delay_, c.delay);
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    levels_[i]->setEnabled(c.levels[i].enabled);
    if (!levels_[i]->hasFocus()) {
      levels_[i]->setText(Q(c.levels[i].text));
    }
  }
  grid_->Show(c);
  ShowLive();
}

void FrmKvxLambdaPage::ShowLive() {
  const pages::LambdaLive& live = model_.Live();
  for (std::size_t i = 0; i < probes_.size(); ++i) {
    const pages::ProbeReading& p = live.probes[i];
    const int side = p.rich ? lt::kRich : lt::kLean;
    probes_[i]->SetTitle(
        Q(model_.Text(kProbeTexts[i])) +
        (live.valid ? QStringLiteral("  \u00B7  ") + Q(model_.Text(side)) : QString()));
    live.valid ? probes_[i]->SetValue(p.mv) : probes_[i]->ClearValue();
  }
  emulating_->setVisible(live.emulating);
}

void FrmKvxLambdaPage::Step(bool up, bool shift) {
  const int row = grid_->currentRow();
  const int col = grid_->currentColumn();
  if (row == 0 && col > 0) {
    model_.BarKey(static_cast<std::size_t>(col - 1), up, shift);
  } else if (col == 0 && row > 0) {
    model_.RpmKey(static_cast<std::size_t>(row - 1), up, shift);
  } else if (row > 0 && col > 0) {
    model_.SelectCells(grid_->SelectedCells());
    model_.CellKey(up, shift);
  }
  Refresh();
}

bool FrmKvxLambdaPage::eventFilter(QObject* watched, QEvent* event) {
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    if (watched != levels_[i]) {
      continue;
    }
    if (event->type() == QEvent::FocusIn) {
      model_.LevelFocused(i);
    } else if (event->type() == QEvent::FocusOut) {
      // Leaving without Enter puts back the text the box had.
      model_.LevelLeft(i);
      levels_[i]->setText(Q(model_.Controls().levels[i].text));
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velmora::ui
