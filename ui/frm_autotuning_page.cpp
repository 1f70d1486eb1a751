#include "ui/frm_autotuning_page.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/bar_widget.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace at = tuning::autotuning_text;
namespace av = tuning::autotuning_view;

constexpr int kShapeSize = 14;
constexpr int kButtonWidth = 150;
constexpr int kGridMinHeight = 150;
constexpr int kUnderWayStep = 3;          // sampling has begun
constexpr std::size_t kShownSamples = 8;  // rows in the sample grid when it is taken
constexpr int kEndGraceMs = 5000;         // for the run to see its cancel
constexpr int kPumpSliceMs = 50;
constexpr double kRpmMax = 7000;
constexpr double kTempMin = -20;
constexpr double kTempMax = 120;
constexpr double kPressureMaxBar = 3;
constexpr double kMillibarPerBar = 1000.0;
constexpr double kTenthsPerMm = 10.0;

QLabel* Label(QWidget& owner, const char* name, QRgb colour, double scale = 1.0,
              bool bold = false) {
  auto* l = new QLabel;
  l->setObjectName(name);
  SetTextColour(*l, colour);
  l->setFont(ScaledFont(owner, scale, bold));
  l->setWordWrap(true);
  return l;
}

QLabel* Shape(const char* name) {
  auto* s = new QLabel;
  s->setObjectName(name);
  s->setFixedSize(kShapeSize, kShapeSize);
  return s;
}

void Paint(QLabel& shape, bool lit, QRgb colour) {
  shape.setStyleSheet(QStringLiteral("background:%1;border-radius:%2px;")
                          .arg(Colour(lit ? colour : palette::kTrack).name())
                          .arg(kShapeSize / 2));
  shape.setProperty("lit", lit);
}

BarWidget* Bar(const char* name, double min, double max, int decimals, const QString& unit) {
  auto* b = new BarWidget;
  b->setObjectName(name);
  b->SetCompact(true);
  b->SetScale(min, max, decimals);
  b->SetUnit(unit);
  return b;
}

QTableWidget* Grid(const char* name) {
  auto* g = new QTableWidget(0, 2);
  g->setObjectName(name);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  g->setSelectionMode(QAbstractItemView::NoSelection);
  g->verticalHeader()->setVisible(false);
  g->horizontalHeader()->setStretchLastSection(true);
  g->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  g->setMinimumHeight(kGridMinHeight);
  return g;
}

void Fill(QTableWidget& grid, const std::vector<tuning::SampleRow>& rows) {
  grid.setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& row = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < 2; ++c) {
      auto* item = new QTableWidgetItem(Q(c == 0 ? row.count : row.time));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid.setItem(r, c, item);
    }
  }
  if (!rows.empty()) {
    grid.scrollToBottom();
  }
}

QString Millimetres(int tenths) {
  return QString::number(tenths / kTenthsPerMm, 'f', 1) + QStringLiteral(" mm");
}

}  // namespace

FrmAutoTuningPage::FrmAutoTuningPage(tuning::FrmAutoTuning& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      title_(Label(*this, "LblTitolo", palette::kText, 1.4, true)),
      start_(new QPushButton),
      ok_(new QPushButton),
      cancel_(new QPushButton) {
  setObjectName("FrmAutoTuning");
  UseWindowBackground(*this);

  auto* middle = new QHBoxLayout;
  middle->setSpacing(spacing::kGap);
  middle->addWidget(LiveCard(), 1);
  middle->addWidget(InjectionCard(), 1);

  start_->setObjectName("CmdCalStart");
  ok_->setObjectName("CmdCalOk");
  cancel_->setObjectName("CmdCalCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {start_, ok_, cancel_}) {
    b->setMinimumWidth(kButtonWidth);
    buttons->addWidget(b);
  }

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  column->setSpacing(spacing::kGap);
  column->addWidget(title_);
  column->addWidget(StatusCard());
  column->addLayout(middle);
  column->addWidget(SamplesCard(), 1);
  column->addLayout(buttons);

  connect(start_, &QPushButton::clicked, this, [this] { model_.CmdCalStart(); });
  connect(ok_, &QPushButton::clicked, this, [this] { model_.CmdCalOk(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { model_.CmdCalCancel(); });
  connect(nozzle_, &QSlider::valueChanged, this, [this](int v) { model_.SetNozzle(v); });
  model_.SetOnChange([this] { Refresh(); });
  CaricaLingua();
}

CardFrame* FrmAutoTuningPage::StatusCard() {
  status_card_ = new CardFrame;
  status_card_->setObjectName("CardStato");
  step_ = Label(*this, "LblCalStep", palette::kText, 1.1, true);
  progress_ = new QProgressBar;
  progress_->setObjectName("PRG_Avanzamento");
  progress_->setRange(0, 100);
  progress_->setFormat(QStringLiteral("%p %"));
  message_ = Label(*this, "LblCalMsg", palette::kAccent, 1.6, true);
  message_->setMinimumHeight(QFontMetrics(message_->font()).height() * 2);
  status_ = Label(*this, "LAB_STATUS", palette::kTextMuted, 1.05, true);
  QVBoxLayout* body = status_card_->Body();
  body->addSpacing(spacing::kGap / 2);
  body->addWidget(step_);
  body->addWidget(progress_);
  body->addWidget(message_);
  body->addWidget(status_);
  return status_card_;
}

CardFrame* FrmAutoTuningPage::LiveCard() {
  live_card_ = new CardFrame;
  live_card_->setObjectName("CardLive");
  rpm_ = Bar("PI_RPM", 0, kRpmMax, 0, QStringLiteral("rpm"));
  reducer_ = Bar("PI_TRID", kTempMin, kTempMax, 0, QStringLiteral("\u00b0C"));
  pressure_ = Bar("PI_Press", 0, kPressureMaxBar, 2, QStringLiteral("bar"));
  for (BarWidget* b : {rpm_, reducer_, pressure_}) {
    live_card_->Body()->addWidget(b);
  }
  live_card_->Body()->addStretch(1);
  return live_card_;
}

CardFrame* FrmAutoTuningPage::InjectionCard() {
  injection_card_ = new CardFrame;
  injection_card_->setObjectName("CardIniezione");
  petrol_shape_ = Shape("ShpTaraTbenz");
  petrol_caption_ = Label(*this, "LblTaraTbenzCaption", palette::kTextMuted);
  petrol_ = Label(*this, "LblTaraTbenz", palette::kText, 1.3, true);
  gas_shape_ = Shape("ShpTaraTgas");
  gas_caption_ = Label(*this, "LblTaraTGasCaption", palette::kTextMuted);
  gas_ = Label(*this, "LblTaraTGas", palette::kText, 1.3, true);
  cylinder_ = Label(*this, "LBL_Iniettore", palette::kAccent, 1.2, true);
  type_caption_ = Label(*this, "LblTipoInj", palette::kTextMuted);
  type_ = new QComboBox;
  type_->setObjectName("CmbTipoInj");
  // The injector type is the switch-over page's to change.
  type_->setEnabled(false);
  nozzle_caption_ = Label(*this, "LblUgelli", palette::kTextMuted);
  nozzle_ = new QSlider(Qt::Horizontal);
  nozzle_->setObjectName("SLD_Ugelli");
  nozzle_->setRange(av::kNozzleMin, av::kNozzleMax);
  nozzle_value_ = Label(*this, "LblUgelliValore", palette::kText, 1.0, true);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(spacing::kGap);
  grid->setVerticalSpacing(spacing::kGap / 2);
  grid->setColumnStretch(1, 1);
  grid->addWidget(petrol_shape_, 0, 0);
  grid->addWidget(petrol_caption_, 0, 1);
  grid->addWidget(petrol_, 0, 2, Qt::AlignRight);
  grid->addWidget(gas_shape_, 1, 0);
  grid->addWidget(gas_caption_, 1, 1);
  grid->addWidget(gas_, 1, 2, Qt::AlignRight);
  grid->addWidget(cylinder_, 2, 0, 1, 3);
  grid->addWidget(type_caption_, 3, 0, 1, 2);
  grid->addWidget(type_, 3, 2);
  grid->addWidget(nozzle_caption_, 4, 0, 1, 2);
  auto* nozzle = new QHBoxLayout;
  nozzle->addWidget(nozzle_, 1);
  nozzle->addWidget(nozzle_value_);
  grid->addLayout(nozzle, 4, 2);
  injection_card_->Body()->addSpacing(spacing::kGap / 2);
  injection_card_->Body()->addLayout(grid);
  injection_card_->Body()->addStretch(1);
  return injection_card_;
}

CardFrame* FrmAutoTuningPage::SamplesCard() {
  samples_card_ = new CardFrame;
  samples_card_->setObjectName("CardCampioni");
  petrol_grid_ = Grid("GrdCampioniBenzina");
  gas_grid_ = Grid("GrdCampioniGas");
  auto* grids = new QHBoxLayout;
  grids->setSpacing(spacing::kGap);
  grids->addWidget(petrol_grid_, 1);
  grids->addWidget(gas_grid_, 1);
  samples_card_->Body()->addSpacing(spacing::kGap / 2);
  samples_card_->Body()->addLayout(grids, 1);
  return samples_card_;
}

void FrmAutoTuningPage::CaricaLingua() {
  model_.CaricaLingua();
  const tuning::AutoTuningTexts& t = model_.Texts();
  title_->setText(Q(t[at::kTitle]));
  status_card_->SetTitle(Q(t[at::kStatus]));
  live_card_->SetTitle(Q(t[at::kLiveValues]));
  injection_card_->SetTitle(Q(t[at::kCylinder]));
  samples_card_->SetTitle(Q(t[at::kSamples]));
  rpm_->SetTitle(Q(t[at::kRpm]));
  reducer_->SetTitle(Q(t[at::kReducerTemperature]));
  pressure_->SetTitle(Q(t[at::kGasPressure]));
  petrol_caption_->setText(Q(t[at::kPetrolTime]));
  gas_caption_->setText(Q(t[at::kGasTime]));
  type_caption_->setText(Q(t[at::kInjectorType]));
  nozzle_caption_->setText(Q(t[at::kNozzle]));
  petrol_grid_->setHorizontalHeaderLabels({Q(t[at::kSamples]), Q(t[at::kPetrolTime])});
  gas_grid_->setHorizontalHeaderLabels({Q(t[at::kSamples]), Q(t[at::kGasTime])});
  start_->setText(Q(t[at::kStart]));
  ok_->setText(Q(t[at::kConfirm]));
  cancel_->setText(Q(t[at::kCancel]));
  Refresh();
}

void FrmAutoTuningPage::Refresh() {
  const tuning::AutoTuningShown& s = model_.View();
  step_->setText(Q(s.step_text));
  progress_->setValue(s.percent);
  message_->setText(Q(s.message));
  status_->setText(Q(s.status));
  ShowStatusColour();
  ShowLive();
  petrol_->setText(Q(s.petrol));
  gas_->setText(Q(s.gas));
  cylinder_->setText(Q(s.cylinder));
  ShowShapes();
  if (type_->count() != static_cast<int>(s.injector_types.size())) {
    type_->clear();
    for (const std::string& name : s.injector_types) {
      type_->addItem(Q(name));
    }
  }
  type_->setCurrentIndex(s.injector_type);
  {
    const QSignalBlocker quiet(nozzle_);
    nozzle_->setValue(s.nozzle);
  }
  nozzle_->setEnabled(!s.running);
  nozzle_value_->setText(Millimetres(s.nozzle));
  Fill(*petrol_grid_, s.petrol_samples);
  Fill(*gas_grid_, s.gas_samples);
  start_->setEnabled(s.can_start);
  ok_->setEnabled(s.can_accept);
  cancel_->setEnabled(s.can_accept);
}

void FrmAutoTuningPage::ShowLive() {
  const tuning::AutoTuningShown& s = model_.View();
  if (!s.has_live) {
    for (BarWidget* b : {rpm_, reducer_, pressure_}) {
      b->ClearValue();
    }
    return;
  }
  rpm_->SetValue(s.live.rpm);
  reducer_->SetValue(s.live.reducer_temperature);
  pressure_->SetValue(s.live.gas_pressure / kMillibarPerBar);
}

void FrmAutoTuningPage::ShowShapes() {
  const tuning::AutoTuningShown& s = model_.View();
  Paint(*petrol_shape_, s.petrol_lit, palette::kWarning);
  Paint(*gas_shape_, s.gas_lit, palette::kOk);
}

void FrmAutoTuningPage::ShowStatusColour() {
  QRgb colour = palette::kTextMuted;
  switch (model_.View().status_kind) {
    case tuning::TuningStatus::kIdle:
      break;
    case tuning::TuningStatus::kRunning:
      colour = palette::kWarning;
      break;
    case tuning::TuningStatus::kDone:
      colour = palette::kOk;
      break;
    case tuning::TuningStatus::kStopped:
      colour = palette::kDanger;
      break;
  }
  SetTextColour(*status_, colour);
}

bool FrmAutoTuningPage::CaptureMidRun(const std::function<bool()>& grab, int wait_ms) {
  if (!model_.View().can_start) {
    return grab();
  }
  bool taken = false;
  bool saved = false;
  const auto take = [&] {
    if (!taken) {
      taken = true;
      saved = grab();
      model_.CmdCalCancel();
    }
  };
  // The run pumps events itself: the picture is taken from inside it, as
  // soon as it samples or when the wait is over.
  model_.SetOnChange([this, &take] {
    Refresh();
    const auto& view = model_.View();
    if (view.running && view.step >= kUnderWayStep && view.petrol_samples.size() >= kShownSamples) {
      take();
    }
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  connect(&deadline, &QTimer::timeout, this, take);
  model_.CmdCalStart();
  deadline.start(wait_ms);
  QElapsedTimer waited;
  waited.start();
  while (model_.View().running && waited.elapsed() < wait_ms + kEndGraceMs) {
    QEventLoop slice;
    QTimer::singleShot(kPumpSliceMs, &slice, &QEventLoop::quit);
    slice.exec();
  }
  take();
  model_.SetOnChange([this] { Refresh(); });
  Refresh();
  return saved;
}

}  // namespace velmora::ui
