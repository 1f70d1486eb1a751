#include "ui/obd_live_card.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/bar_widget.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace ot = diag::obd_text;

constexpr double kTrimRange = 25;  // percent either side of 0 on the bars
constexpr std::array<const char*, 4> kTrimNames = {"LblPidVal06", "LblPidVal07", "LblPidVal08",
                                                   "LblPidVal09"};
constexpr std::array<const char*, 2> kStatusNames = {"LblPidVal03_B1", "LblPidVal03_B2"};

BarWidget* NewTrimBar(const char* name) {
  auto* bar = new BarWidget;
  bar->setObjectName(name);
  bar->SetCompact(true);
  bar->SetScale(-kTrimRange, kTrimRange, 0);
  bar->SetUnit(QStringLiteral("%"));
  bar->SetMarker(0);
  return bar;
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

ObdLiveCard::ObdLiveCard(QWidget* parent)
    : CardFrame(parent), average_(NewTrimBar("ShpPuntoMediaObd")) {
  for (std::size_t i = 0; i < trims_.size(); ++i) {
    trims_[i] = NewTrimBar(kTrimNames[i]);
    Body()->addWidget(trims_[i]);
  }
  for (std::size_t b = 0; b < status_.size(); ++b) {
    status_[b] = new QLabel;
    status_[b]->setObjectName(kStatusNames[b]);
    Body()->addWidget(status_[b]);
  }
  Body()->addWidget(average_);
  Body()->addStretch(1);
}

void ObdLiveCard::SetTexts(const diag::ObdTexts& texts) {
  SetTitle(Q(texts.obd[ot::kFuelStatus]));
  for (std::size_t i = 0; i < trims_.size(); ++i) {
    trims_[i]->SetTitle(Q(texts.obd[ot::kTrims + static_cast<int>(i)]));
  }
  average_->SetTitle(Q(texts.tuning[diag::tuning_text::kAverage]));
}

void ObdLiveCard::Show(const diag::ObdLive& live, const diag::ObdTexts& texts) {
  for (std::size_t i = 0; i < trims_.size(); ++i) {
    const bool shown = live.read && (i < 2 || live.bank2);
    shown ? trims_[i]->SetValue(live.trims[i]) : trims_[i]->ClearValue();
  }
  for (std::size_t b = 0; b < status_.size(); ++b) {
    const bool shown = live.read && (b == 0 || live.bank2);
    // LblStatusB1, LblStatusB2: the closed-loop mark.
    const QRgb mark = shown && live.ClosedLoop(b) ? palette::kOk : palette::kIdle;
    status_[b]->setText(
        QStringLiteral("<span style='color:%1'>\u25CF</span> %2: %3")
            .arg(Colour(mark).name(), Q(texts.obd[ot::kBank + static_cast<int>(b)]),
                 shown ? Q(texts.fuel.Of(live.fuel_status[b]))
                       : QString::fromUtf8(diag::kNoValue.data(),
                                           static_cast<qsizetype>(diag::kNoValue.size()))));
  }
  live.read ? average_->SetValue(live.average) : average_->ClearValue();
}

}  // namespace velmora::ui
