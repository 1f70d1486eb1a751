#include "ui/dashboard_page.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "core/gauge_geometry.h"
#include "ui/bar_widget.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/gauge_widget.h"
#include "ui/status_panel.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

// Built-in texts, by dictionary index.
constexpr std::array<const char*, dashboard_text::kCount> kDefaultTexts = {
    "",
    "Engine speed",
    "Gas pressure",
    "Petrol pressure",
    "Reducer temperature",
    "Gas temperature",
    "Lambda probes",
    "Injection times",
    "Petrol",
    "Gas",
    "Fuel level",
    "Engine status",
    "Fuel in use",
    "Switch-over",
    "Engine condition",
    "Battery",
    "Switching",
    "Steady",
    "Not steady",
    "Probe 1",
    "Probe 2",
    "Probe 1 after catalyst",
    "Probe 2 after catalyst",
    "No data",
};

// Scales and warning bands of the instruments.
namespace scale {
constexpr double kRpmMax = 8000;
constexpr double kRpmRed = 6500;
constexpr double kGasBarMax = 3.0;
constexpr double kGasBarHigh = 2.6;
constexpr double kPetrolVMax = 5.0;
constexpr double kPetrolVHigh = 4.6;
constexpr double kTempMin = -20;
constexpr double kTempMax = 120;
constexpr double kReducerHot = 100;
constexpr double kReducerOverheat = 110;
constexpr double kGasWarm = 60;
constexpr double kGasHot = 80;
constexpr double kLambdaMaxMv = 1000;
constexpr double kLambdaSwitchMv = 450;
constexpr double kInjectionMaxMs = 20;
constexpr double kInjectionLongMs = 16;
constexpr double kLevelReserve = 10;
constexpr int kLevelLeds = 5;
constexpr double kBatteryLowV = 11.5;
constexpr double kBatteryHighV = 15.0;
}  // namespace scale

GaugeWidget* NewGauge(const char* name) {
  auto* g = new GaugeWidget;
  g->setObjectName(name);
  return g;
}

BarWidget* NewBar(const char* name, double max, int decimals, const QString& unit) {
  auto* b = new BarWidget;
  b->setObjectName(name);
  b->SetScale(0, max, decimals);
  b->SetUnit(unit);
  return b;
}

}  // namespace

DashboardPage::DashboardPage(const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      lingue_(lingue),
      rpm_(NewGauge("PI_RPM")),
      gas_pressure_(NewGauge("PI_Press")),
      petrol_pressure_(NewGauge("PI_PressBenz")),
      reducer_(NewGauge("PI_TRID")),
      gas_temperature_(NewGauge("PI_TGas")),
      lambda_card_(new CardFrame),
      injection_card_(new CardFrame),
      petrol_time_(NewBar("BAR_TinjBenz", scale::kInjectionMaxMs, 2, "ms")),
      gas_time_(NewBar("BAR_TinjGas", scale::kInjectionMaxMs, 2, "ms")),
      level_(NewBar("BAR_Livello", 100, 0, "%")),
      status_(new StatusPanel) {
  setObjectName("FrmDashboard");
  UseWindowBackground(*this);
  SetUpGauges();
  SetUpBars();
  LayOut();
  CaricaLingua();
  Clear();
}

void DashboardPage::SetUpGauges() {
  rpm_->SetScale(0, scale::kRpmMax, 0, 1000, 8, 5);
  rpm_->SetUnit("rpm");
  rpm_->SetLabelNote(QStringLiteral("x1000"));
  rpm_->SetZones({{scale::kRpmRed, scale::kRpmMax, palette::kDanger}});
  gas_pressure_->SetScale(0, scale::kGasBarMax, 2, 1, 6, 5);
  gas_pressure_->SetUnit("bar");
  gas_pressure_->SetZones({{scale::kGasBarHigh, scale::kGasBarMax, palette::kWarning}});
  petrol_pressure_->SetScale(0, scale::kPetrolVMax, 2, 1, 5, 5);
  petrol_pressure_->SetUnit("V");
  petrol_pressure_->SetZones({{scale::kPetrolVHigh, scale::kPetrolVMax, palette::kWarning}});
  reducer_->SetScale(scale::kTempMin, scale::kTempMax, 0, 1, 7, 2);
  reducer_->SetUnit(QStringLiteral("\u00b0C"));
  reducer_->SetZones({{scale::kReducerHot, scale::kReducerOverheat, palette::kWarning},
                      {scale::kReducerOverheat, scale::kTempMax, palette::kDanger}});
  gas_temperature_->SetScale(scale::kTempMin, scale::kTempMax, 0, 1, 7, 2);
  gas_temperature_->SetUnit(QStringLiteral("\u00b0C"));
  gas_temperature_->SetZones({{scale::kGasWarm, scale::kGasHot, palette::kWarning},
                              {scale::kGasHot, scale::kTempMax, palette::kDanger}});
}

void DashboardPage::SetUpBars() {
  static constexpr std::array<const char*, 4> kLambdaNames = {"BAR_Lambda1", "BAR_Lambda2",
                                                              "BAR_Lambda1Post", "BAR_Lambda2Post"};
  for (std::size_t i = 0; i < lambda_.size(); ++i) {
    lambda_[i] = NewBar(kLambdaNames[i], scale::kLambdaMaxMv, 0, "mV");
    lambda_[i]->SetCompact(true);
    lambda_[i]->SetMarker(scale::kLambdaSwitchMv);
    lambda_card_->Body()->addWidget(lambda_[i]);
  }
  lambda_card_->Body()->addStretch(1);
  for (BarWidget* b : {petrol_time_, gas_time_}) {
    b->SetCompact(true);
    b->SetZones({{scale::kInjectionLongMs, scale::kInjectionMaxMs, palette::kWarning}});
    injection_card_->Body()->addWidget(b);
  }
  injection_card_->Body()->addStretch(1);
  level_->SetSegments(scale::kLevelLeds);
  level_->SetZones({{0, scale::kLevelReserve, palette::kDanger}});
  status_->setObjectName("PNL_Stato");
}

void DashboardPage::LayOut() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  grid->setSpacing(spacing::kGap);
  grid->addWidget(rpm_, 0, 0, 2, 1);
  grid->addWidget(gas_pressure_, 0, 1);
  grid->addWidget(petrol_pressure_, 0, 2);
  grid->addWidget(reducer_, 1, 1);
  grid->addWidget(gas_temperature_, 1, 2);
  grid->addWidget(lambda_card_, 2, 0);
  grid->addWidget(injection_card_, 2, 1);
  auto* right = new QVBoxLayout;
  right->setSpacing(spacing::kGap);
  right->addWidget(level_);
  right->addWidget(status_, 1);
  grid->addLayout(right, 2, 2);
  grid->setColumnStretch(0, 4);
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(2, 3);
  grid->setRowStretch(0, 3);
  grid->setRowStretch(1, 3);
  grid->setRowStretch(2, 2);
}

QString DashboardPage::Text(int k) const {
  if (lingue_ != nullptr && offset_ > 0) {
    const std::string t = lingue_->Testo(offset_, k);
    if (!t.empty()) {
      return QString::fromUtf8(t.c_str());
    }
  }
  return QString::fromUtf8(kDefaultTexts.at(static_cast<std::size_t>(k)));
}

void DashboardPage::CaricaLingua() {
  namespace t = dashboard_text;
  // Entry 0 is the language's title, so a found marker is never at 0.
  offset_ = lingue_ != nullptr ? lingue_->MarkerOffset(t::kMarker) : 0;
  rpm_->SetTitle(Text(t::kRpm));
  gas_pressure_->SetTitle(Text(t::kGasPressure));
  petrol_pressure_->SetTitle(Text(t::kPetrolPressure));
  reducer_->SetTitle(Text(t::kReducerTemperature));
  gas_temperature_->SetTitle(Text(t::kGasTemperature));
  lambda_card_->SetTitle(Text(t::kLambdaProbes));
  for (std::size_t i = 0; i < lambda_.size(); ++i) {
    lambda_[i]->SetTitle(Text(t::kProbeFirst + static_cast<int>(i)));
  }
  injection_card_->SetTitle(Text(t::kInjectionTimes));
  petrol_time_->SetTitle(Text(t::kPetrol));
  gas_time_->SetTitle(Text(t::kGas));
  level_->SetTitle(Text(t::kFuelLevel));
  status_->SetTitle(Text(t::kEngineStatus));
  ShowStatus();
}

void DashboardPage::SetValues(const DashboardValues& v) {
  last_ = v;
  has_values_ = true;
  rpm_->SetValue(v.rpm);
  gas_pressure_->SetValue(v.gas_pressure_bar);
  petrol_pressure_->SetValue(v.petrol_pressure_v);
  reducer_->SetValue(v.reducer_c);
  gas_temperature_->SetValue(v.gas_c);
  for (std::size_t i = 0; i < lambda_.size(); ++i) {
    lambda_[i]->SetValue(v.lambda_mv[i]);
  }
  petrol_time_->SetValue(v.petrol_ms);
  gas_time_->SetValue(v.gas_ms);
  level_->SetValue(v.level_percent);
  ShowStatus();
}

void DashboardPage::Refresh(const std::function<int(int entry, int field)>& value) {
  if (value) {
    SetValues(DashboardValuesFrom(value));
  }
}

void DashboardPage::Clear() {
  has_values_ = false;
  for (GaugeWidget* g : {rpm_, gas_pressure_, petrol_pressure_, reducer_, gas_temperature_}) {
    g->ClearValue();
  }
  for (BarWidget* b : lambda_) {
    b->ClearValue();
  }
  for (BarWidget* b : {petrol_time_, gas_time_, level_}) {
    b->ClearValue();
  }
  ShowStatus();
}

void DashboardPage::ShowStatus() {
  namespace t = dashboard_text;
  if (!has_values_) {
    const QString none = Text(t::kNoData);
    status_->SetRows({{Text(t::kFuelInUse), none, palette::kIdle},
                      {Text(t::kSwitchOver), none, palette::kIdle},
                      {Text(t::kEngineCondition), none, palette::kIdle},
                      {Text(t::kBattery), none, palette::kIdle}});
    return;
  }
  const DashboardValues& v = last_;
  QString phase;
  QRgb phase_lamp = palette::kIdle;
  switch (v.switch_phase) {
    case switch_phase::kSwitching:
      phase = Text(t::kSwitching);
      phase_lamp = palette::kWarning;
      break;
    case switch_phase::kGas:
      phase = Text(t::kGas);
      phase_lamp = palette::kOk;
      break;
    default:
      phase = Text(t::kPetrol);
      break;
  }
  const bool battery_ok = v.battery_v >= scale::kBatteryLowV && v.battery_v <= scale::kBatteryHighV;
  status_->SetRows(
      {{Text(t::kFuelInUse), Text(v.on_gas ? t::kGas : t::kPetrol),
        v.on_gas ? palette::kOk : palette::kWarning},
       {Text(t::kSwitchOver), phase, phase_lamp},
       {Text(t::kEngineCondition), Text(v.engine_steady ? t::kSteady : t::kNotSteady),
        v.engine_steady ? palette::kOk : palette::kIdle},
       {Text(t::kBattery), QString::fromStdString(core::FormatFixed(v.battery_v, 1)) + " V",
        battery_ok ? palette::kOk : palette::kWarning}});
}

}  // namespace velmora::ui
