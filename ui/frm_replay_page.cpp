#include "ui/frm_replay_page.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "acq/logger_export.h"
#include "acq/logger_plot.h"
#include "acq/record_samples.h"
#include "acq/synthetic_log.h"
#include "acq/time_window.h"
#include "ui/card_frame.h"
#include "ui/frm_logger_page.h"
#include "ui/logger_plot_view.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kTimerMs = 10;
constexpr double kDemoSeconds = 60;
constexpr int kDemoRate = 20;
constexpr int kDemoObdEvery = 20;
constexpr std::size_t kDemoSteps = 500;
constexpr qint64 kDemoLimitMs = 3000;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The values the replay brings, as the ECU's pages show them, in the order
// of their names in the page's texts.
struct ShownValue {
  std::size_t entry;
  std::size_t field;
  float scale;
  const char* unit;
  bool trim;  // a raw OBD fuel trim, shown in percent
};
constexpr ShownValue kShownValues[] = {
    {1, 32, 1.0F, "rpm", false}, {1, 33, 0.001F, "bar", false}, {1, 49, 0.001F, "bar", false},
    {1, 36, 0.001F, "V", false}, {1, 43, 1.0F, "C", false},     {12, 30, 1.0F, "%", true},
    {12, 34, 1.0F, "%", true},
};

constexpr QRgb kPlayhead = 0xFFC9403A;
// The default channels the strip shows: petrol injection time, MAP,
// reducer temperature and engine speed.
constexpr std::array<std::size_t, 4> kStripChannels = {1, 3, 5, 7};

acq::Channels StripChannels() {
  acq::Channels ch = acq::DefaultChannels();
  for (std::size_t c = 0; c < ch.size(); ++c) {
    ch[c].visible =
        std::find(kStripChannels.begin(), kStripChannels.end(), c) != kStripChannels.end();
  }
  return ch;
}
constexpr QRgb kPlayed = 0x222F6FAB;

}  // namespace

// The recording being played: its live values over its whole length, what
// was played shaded, the step reached marked.
class ReplayStrip final : public QWidget {
 public:
  ReplayStrip(const acq::FrmReplay& model, QWidget* parent) : QWidget(parent), model_(model) {
    setMinimumHeight(120);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Colour(palette::kCard));
    const acq::SampleTable& s = model_.Recording();
    if (!s.Empty()) {
      const std::int64_t t = std::max<std::int32_t>(model_.ShownTime(), s.Time(0));
      const acq::TimeWindow played{s.Time(0), 0, acq::logger::kTimeZooms.front()};
      const acq::OverviewLayout o =
          acq::Overview(s, StripChannels(), played, t - s.Time(0), {width(), height() - 8});
      p.fillRect(QRect(0, 0, o.window_x1, height()), QColor::fromRgba(kPlayed));
      p.translate(0, 4);
      p.setRenderHint(QPainter::Antialiasing);
      for (const acq::TraceLayout& tr : o.traces) {
        QPolygon poly;
        for (const acq::PlotPoint& pt : tr.points) {
          poly.append(QPoint(pt.x, pt.y));
        }
        p.setPen(QPen(ChannelColour(tr.colour), 1.4));
        p.drawPolyline(poly);
      }
      p.resetTransform();
      p.setPen(QPen(Colour(kPlayhead), 2));
      p.drawLine(o.window_x1, 0, o.window_x1, height());
    }
    p.setPen(QPen(Colour(palette::kCardBorder), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  const acq::FrmReplay& model_;
};

namespace {

QTableWidget* NewTable(QWidget* parent, int rows) {
  auto* t = new QTableWidget(rows, 2, parent);
  t->horizontalHeader()->setVisible(false);
  t->verticalHeader()->setVisible(false);
  t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  t->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->setFocusPolicy(Qt::NoFocus);
  t->setShowGrid(false);
  t->setAlternatingRowColors(true);
  t->setFixedHeight(rows * t->verticalHeader()->defaultSectionSize() + 2 * t->frameWidth());
  for (int r = 0; r < rows; ++r) {
    t->setItem(r, 0, new QTableWidgetItem);
    auto* value = new QTableWidgetItem;
    value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    t->setItem(r, 1, value);
  }
  return t;
}

}  // namespace

FrmReplayPage::FrmReplayPage(acq::FrmReplay& model, const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      model_(model),
      lingue_(lingue),
      title_(new QLabel(this)),
      file_(new QLabel(this)),
      open_(new QPushButton(this)),
      play_(new QPushButton(this)),
      play_speed_(new QPushButton(this)),
      stop_(new QPushButton(this)),
      speed_label_(new QLabel(this)),
      speed_(new QSpinBox(this)),
      progress_(new QProgressBar(this)),
      step_(new QLabel(this)),
      playback_card_(new CardFrame(this)),
      recording_card_(new CardFrame(this)),
      strip_(new ReplayStrip(model, this)),
      targets_card_(new CardFrame(this)),
      values_card_(new CardFrame(this)),
      targets_(NewTable(this, static_cast<int>(acq::replay_target::kTargets.size()))),
      values_(NewTable(this, static_cast<int>(std::size(kShownValues)))),
      timer_(new QTimer(this)) {
  setObjectName("FrmReplay");
  QFont big = title_->font();
  big.setPointSize(big.pointSize() + 3);
  big.setBold(true);
  title_->setFont(big);
  file_->setStyleSheet(QStringLiteral("color: #66788A;"));
  open_->setObjectName("CmdOpen");
  play_->setObjectName("CmdP");
  play_speed_->setObjectName("CmdSpeed");
  stop_->setObjectName("CmdS");
  speed_->setRange(acq::replay::kMinPace, acq::replay::kMaxPace);
  speed_->setValue(model_.Speed());
  speed_->setSuffix(QStringLiteral(" %"));
  timer_->setInterval(kTimerMs);

  LayOut();
  connect(open_, &QPushButton::clicked, this, [this] { Open(); });
  connect(play_, &QPushButton::clicked, this, [this] { StartTimer(model_.CmdP()); });
  connect(play_speed_, &QPushButton::clicked, this, [this] { StartTimer(model_.CmdSpeed()); });
  connect(stop_, &QPushButton::clicked, this, [this] {
    model_.CmdS();
    Refresh();
  });
  connect(speed_, &QSpinBox::valueChanged, this, [this](int v) { model_.SetSpeed(v); });
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
  CaricaLingua();
}

void FrmReplayPage::LayOut() {
  auto* header = new QHBoxLayout;
  header->addWidget(title_);
  header->addSpacing(spacing::kGap);
  header->addWidget(file_, 1);
  header->addWidget(open_);
  auto* results = new QHBoxLayout;
  results->addWidget(targets_card_, 1);
  results->addSpacing(spacing::kGap);
  results->addWidget(values_card_, 1);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addLayout(header);
  page->addSpacing(spacing::kGap);
  page->addWidget(BuildPlayback());
  page->addSpacing(spacing::kGap);
  recording_card_->Body()->addWidget(strip_);
  page->addWidget(recording_card_, 1);
  page->addSpacing(spacing::kGap);
  page->addLayout(results);
  targets_card_->Body()->addWidget(targets_);
  values_card_->Body()->addWidget(values_);
}

QWidget* FrmReplayPage::BuildPlayback() {
  auto* row = new QHBoxLayout;
  row->addWidget(play_);
  row->addWidget(play_speed_);
  row->addWidget(stop_);
  row->addSpacing(spacing::kGap);
  row->addWidget(speed_label_);
  row->addWidget(speed_);
  row->addStretch(1);
  playback_card_->Body()->addLayout(row);
  auto* where = new QHBoxLayout;
  where->addWidget(progress_, 1);
  where->addSpacing(spacing::kGap);
  where->addWidget(step_);
  playback_card_->Body()->addLayout(where);
  return playback_card_;
}

void FrmReplayPage::CaricaLingua() {
  if (lingue_ != nullptr) {
    model_.CaricaLingua(*lingue_);
  }
  const acq::ReplayTexts& t = model_.Texts();
  title_->setText(Q(t.caption));
  setWindowTitle(title_->text());
  open_->setText(Q(t.open));
  play_->setText(Q(t.play));
  play_speed_->setText(Q(t.play_speed));
  stop_->setText(Q(t.stop));
  speed_label_->setText(Q(t.speed));
  playback_card_->SetTitle(Q(t.play));
  recording_card_->SetTitle(Q(t.recording));
  targets_card_->SetTitle(Q(t.answers));
  values_card_->SetTitle(Q(t.values));
  Refresh();
}

void FrmReplayPage::ShowValues() {
  const link::MessageTable& table = model_.Table();
  const acq::ReplayTexts& t = model_.Texts();
  int r = 0;
  for (const ShownValue& v : kShownValues) {
    const std::int32_t raw = table.Value(v.entry, v.field);
    const std::int32_t shown = v.trim ? acq::TrimPercent(raw) : raw;
    values_->item(r, 0)->setText(Q(t.value_names[static_cast<std::size_t>(r)]));
    values_->item(r, 1)->setText(
        model_.StepsPlayed() > 0 ? Q(acq::ScaledText(shown, v.scale) + " " + v.unit) : QString());
    ++r;
  }
}

void FrmReplayPage::Refresh() {
  const acq::ReplaySequence& seq = model_.Sequence();
  const acq::ReplayTexts& t = model_.Texts();
  file_->setText(model_.FileName().empty() && seq.Size() == 0 ? Q(t.no_file)
                                                              : Q(model_.FileName()));
  play_->setEnabled(model_.PlayEnabled());
  play_speed_->setEnabled(model_.SpeedEnabled());
  stop_->setEnabled(model_.Playing());
  open_->setEnabled(!model_.Playing());
  progress_->setRange(0, static_cast<int>(std::max<std::size_t>(seq.Size(), 1) - 1));
  progress_->setValue(static_cast<int>(model_.StepIndex()));
  QString where = Q(t.step) + QStringLiteral(" %1 / %2").arg(model_.StepIndex()).arg(seq.Size());
  if (model_.ShownTime() >= 0) {
    where += QStringLiteral("    ") + Q(acq::CursorTimeText(model_.ShownTime()));
  }
  step_->setText(where);
  const std::array<QString, acq::replay_target::kTargets.size()> names = {
      Q(t.live_record),
      Q(t.block2),
      Q(t.block3),
      QStringLiteral("[TBenz]"),
      QStringLiteral("[TGas]"),
      QStringLiteral("[TRisult]"),
      QStringLiteral("[TIsto]"),
      Q(t.obd_data)};
  for (std::size_t i = 0; i < acq::replay_target::kTargets.size(); ++i) {
    targets_->item(static_cast<int>(i), 0)->setText(names[i]);
    targets_->item(static_cast<int>(i), 1)->setText(QString::number(model_.Counts()[i]));
  }
  ShowValues();
  strip_->update();
}

void FrmReplayPage::Open() {
  QString path;
  if (choose_file) {
    path = choose_file();
  } else {
    path = QFileDialog::getOpenFileName(this, Q(model_.Texts().open), QString(),
                                        QtFilter(acq::replay::kFilter));
  }
  if (!path.isEmpty()) {
    (void)model_.Open(path.toStdString());
  }
  Refresh();
}

void FrmReplayPage::StartTimer(bool started) {
  if (started) {
    timer_->start();
  }
  Refresh();
}

void FrmReplayPage::Tick() {
  model_.Tick();
  if (!model_.TimerEnabled()) {
    timer_->stop();
  }
  Refresh();
}

void FrmReplayPage::PrepareScreenshot() {
  const std::string demo =
      acq::SyntheticTrafficLog(model_.Table(), kDemoSeconds, kDemoRate, kDemoObdEvery);
  if (model_.Playing() || !model_.OpenText(demo, "demo.vfl")) {
    return;
  }
  // Played at the fastest pace for a moment, then on at the recorded one.
  model_.SetSpeed(acq::replay::kMinPace);
  if (model_.CmdSpeed()) {
    QElapsedTimer clock;
    clock.start();
    while (model_.Playing() && model_.StepsPlayed() < kDemoSteps &&
           clock.elapsed() < kDemoLimitMs) {
      model_.Tick();
    }
    model_.SetSpeed(acq::replay::kRecordedPace);
    timer_->start();
  }
  speed_->setValue(model_.Speed());
  Refresh();
}

}  // namespace velmora::ui
