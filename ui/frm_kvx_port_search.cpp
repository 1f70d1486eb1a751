#include "ui/frm_kvx_port_search.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/version.h"
#include "ui/card_painter.h"
#include "ui/connection_icon.h"
#include "ui/generale_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
// The bar's run: 0..100 in steps of 4 every 100 ms, so a sweep takes 2.5 s.
constexpr int kProgressMax = 100;
constexpr int kProgressStep = 4;
constexpr int kTimerMs = 100;
// The icon's animation changes every sixth tick, like the main indicator.
constexpr int kTicksPerFrame = 6;
constexpr int kIconSide = 56;
}  // namespace

FrmKvxPortSearch::FrmKvxPortSearch(const core::ClsLingue* lingue, QWidget* parent)
    : QDialog(parent),
      lingue_(lingue),
      icon_(new ConnectionIcon),
      message_(new QLabel),
      port_label_(new QLabel),
      progress_(new QProgressBar),
      stop_(new QPushButton),
      timer_(new QTimer(this)) {
  setObjectName("FRM_KVXPortSearch");
  setModal(false);
  icon_->setObjectName("IMG_Ricerca");
  icon_->setFixedSize(kIconSide, kIconSide);
  icon_->SetPicture(0);
  icon_->setCursor(Qt::ArrowCursor);
  message_->setObjectName("LblRicerca");
  message_->setFont(ScaledFont(*this, 1.1, true));
  message_->setWordWrap(true);
  port_label_->setObjectName("LblPorta");
  SetTextColour(*port_label_, palette::kTextMuted);
  progress_->setObjectName("PRG");
  progress_->setRange(0, kProgressMax);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(10);
  progress_->setStyleSheet(
      QStringLiteral("QProgressBar { border: none; border-radius: 5px; background: %1; }"
                     "QProgressBar::chunk { border-radius: 5px; background: %2; }")
          .arg(Colour(palette::kTrack).name(), Colour(palette::kAccent).name()));
  stop_->setObjectName("BUT_STOP");
  stop_->setMinimumWidth(120);
  timer_->setObjectName("TMR");
  timer_->setInterval(kTimerMs);

  auto* top = new QHBoxLayout;
  top->setSpacing(spacing::kGap);
  top->addWidget(icon_, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->addWidget(message_);
  texts->addWidget(port_label_);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(stop_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  layout->setSpacing(spacing::kGap);
  layout->addLayout(top);
  layout->addWidget(progress_);
  layout->addLayout(buttons);
  setMinimumWidth(420);

  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
  connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
  CaricaLingua();
}

QString FrmKvxPortSearch::Text(int k, const char* fallback) const {
  return QString::fromStdString(texts_.Text(k, fallback));
}

void FrmKvxPortSearch::CaricaLingua() {
  namespace g = generale_text;
  texts_ = lingue_ != nullptr ? core::TextBlock(*lingue_, g::kMarker) : core::TextBlock();
  setWindowTitle(Text(g::kSearchingWait, "Searching for the ECU, please wait...") +
                 QString::fromStdString(core::VersionText()));
  message_->setText(Text(g::kSearchingWait, "Searching for the ECU, please wait..."));
  stop_->setText(Text(g::kDisconnect, "Disconnect"));
  SetPort(port_);
}

void FrmKvxPortSearch::SetPort(int com_number) {
  port_ = com_number;
  port_label_->setVisible(com_number >= 0);
  if (com_number >= 0) {
    port_label_->setText(
        Text(generale_text::kConnectingOnPort, "Connecting to the ECU on port COM") +
        QString::number(com_number));
  }
}

void FrmKvxPortSearch::Start() {
  ticks_ = 0;
  progress_->setValue(0);
  icon_->SetPicture(0);
  show();
  raise();
  timer_->start();
}

void FrmKvxPortSearch::Finish() {
  timer_->stop();
  hide();
}

void FrmKvxPortSearch::Tick() {
  ++ticks_;
  const int next = progress_->value() + kProgressStep;
  progress_->setValue(next > kProgressMax ? 0 : next);
  icon_->SetPicture((ticks_ / kTicksPerFrame) % connection_picture::kSearchFrames);
}

int FrmKvxPortSearch::Progress() const {
  return progress_->value();
}

bool FrmKvxPortSearch::Running() const {
  return timer_->isActive();
}

void FrmKvxPortSearch::reject() {
  // Esc or the close box ends the search like the stop button.
  Stop();
}

void FrmKvxPortSearch::Stop() {
  Finish();
  if (on_stop_) {
    on_stop_();
  }
}

}  // namespace velmora::ui
