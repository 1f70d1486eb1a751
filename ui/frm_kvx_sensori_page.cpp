#include "ui/frm_kvx_sensori_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/bar_widget.h"
#include "ui/card_frame.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace tx = pages::sensors_text;
using config_ui::Q;

constexpr int kLeds = 5;
constexpr int kScrollMax = 255;
constexpr int kColumnWidth = 470;

QWidget* Column(std::initializer_list<QWidget*> cards) {
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(spacing::kGap);
  for (QWidget* card : cards) {
    column->addWidget(card);
  }
  column->addStretch(1);
  box->setFixedWidth(kColumnWidth);
  return box;
}

QWidget* Frame(QWidget* left, QWidget* right) {
  auto* frame = new QWidget;
  auto* row = new QHBoxLayout(frame);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(spacing::kGap);
  row->addWidget(left);
  row->addWidget(right);
  row->addStretch(1);
  return frame;
}

}  // namespace

FrmKvxSensoriPage::FrmKvxSensoriPage(pages::FrmKvxSensori& model, QWidget* parent)
    : QWidget(parent), model_(model), title_(config_ui::NewTitle(*this)) {
  MakeControls();
  MakeLevelFrame();
  MakeOtherFrames();
  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(switch_);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addLayout(top);
  page->addWidget(level_frame_, 1);
  page->addWidget(other_frames_, 1);
  CaricaLingua();
}

template <class Handler>
QComboBox* FrmKvxSensoriPage::Combo(const char* name, Handler handler) {
  return config_ui::NewCombo(name, [this, handler](int i) {
    (model_.*handler)(i);
    Refresh();
  });
}

void FrmKvxSensoriPage::MakeControls() {
  using M = pages::FrmKvxSensori;
  const auto act = [this](void (M::*handler)()) {
    return [this, handler] {
      (model_.*handler)();
      Refresh();
    };
  };
  switch_ = config_ui::NewButton("CMD_SENSORI", act(&M::SwitchFrames));
  defaults_ = config_ui::NewButton("CmdLevDef", act(&M::LevelDefaults));
  full_ = config_ui::NewButton("CmdMassimo", act(&M::SetFull));
  empty_ = config_ui::NewButton("CmdMinimo", act(&M::SetEmpty));
  level_type_ = Combo("CmbTipoLev", &M::ChooseLevelType);
  temp_sensor_ = Combo("CmbTipoSensTemp", &M::ChooseTempSensor);
  min_temp_ = Combo("CmbMinTempGas", &M::ChooseMinTemp);
  min_temp_delta_ = Combo("CmbDeltaMinTempGas", &M::ChooseMinTempDelta);
  pressure_sensor_ = Combo("CmbTipoSensMap", &M::ChoosePressureSensor);
  turbo_ = Combo("CmbTurbo", &M::ChooseTurbo);
  end_of_gas_ = Combo("CmbFineGas", &M::ChooseEndOfGas);
  end_pressure_ = Combo("CmbSwtchBar", &M::ChooseEndPressure);
  end_delay_ = Combo("CmbSwtchDelayPress", &M::ChooseEndDelay);
  scroll_ = new QScrollBar(Qt::Horizontal);
  scroll_->setObjectName("HScrLevel");
  scroll_->setRange(0, kScrollMax);
  // One write when the thumb is let go or the bar is stepped, not one for
  // every pixel of a drag.
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
    if (!scroll_->isSliderDown()) {
      model_.ScrollLevel(v);
      Refresh();
    }
  });
  connect(scroll_, &QScrollBar::sliderReleased, this, [this] {
    model_.ScrollLevel(scroll_->value());
    Refresh();
  });
  filtered_ = config_ui::NewValue("LblSensValFiltrato");
  unfiltered_ = config_ui::NewValue("LblSensValNoFiltrato");
  level_ = config_ui::NewValue("LblLevelVal");
  temperature_ = config_ui::NewValue("LblTempGas");
  pressure_ = config_ui::NewValue("LblPressGas");
  leds_ = new BarWidget;
  leds_->SetCompact(true);
  leds_->SetScale(0, kLeds, 0);
  leds_->SetSegments(kLeds);
}

void FrmKvxSensoriPage::MakeLevelFrame() {
  using config_ui::AddRow;
  level_card_ = config_ui::NewFormCard();
  captions_.emplace_back(AddRow(level_card_, level_type_), tx::kSensorType);
  level_card_.grid->addWidget(defaults_, level_card_.grid->rowCount(), 1);
  curve_card_ = config_ui::NewFormCard();
  for (std::size_t i = 0; i < points_.size(); ++i) {
    points_[i] = config_ui::NewValue("LblSoglia");
    point_captions_[i] = AddRow(curve_card_, points_[i]);
  }
  const int row = curve_card_.grid->rowCount();
  curve_card_.grid->addWidget(scroll_, row, 0, 1, 2);
  auto* ends = new QHBoxLayout;
  ends->addWidget(empty_);
  ends->addWidget(full_);
  curve_card_.grid->addLayout(ends, row + 1, 0, 1, 2);
  readings_card_ = config_ui::NewFormCard();
  captions_.emplace_back(AddRow(readings_card_, filtered_), tx::kFiltered);
  captions_.emplace_back(AddRow(readings_card_, unfiltered_), tx::kUnfiltered);
  captions_.emplace_back(AddRow(readings_card_, level_), tx::kGasLevel);
  readings_card_.grid->addWidget(leds_, readings_card_.grid->rowCount(), 0, 1, 2);
  level_frame_ = Frame(Column({level_card_.card, curve_card_.card}), Column({readings_card_.card}));
}

void FrmKvxSensoriPage::MakeOtherFrames() {
  using config_ui::AddRow;
  temp_card_ = config_ui::NewFormCard();
  captions_.emplace_back(AddRow(temp_card_, temp_sensor_), tx::kTemperatureSensor);
  captions_.emplace_back(AddRow(temp_card_, min_temp_), tx::kMinTemp);
  captions_.emplace_back(AddRow(temp_card_, min_temp_delta_), tx::kMinTempDelta);
  captions_.emplace_back(AddRow(temp_card_, temperature_), tx::kReading);
  pressure_card_ = config_ui::NewFormCard();
  captions_.emplace_back(AddRow(pressure_card_, pressure_sensor_), tx::kPressureSensor);
  captions_.emplace_back(AddRow(pressure_card_, turbo_), tx::kTurbo);
  captions_.emplace_back(AddRow(pressure_card_, end_of_gas_), tx::kEndOfGas);
  captions_.emplace_back(AddRow(pressure_card_, end_pressure_), tx::kEndPressure);
  captions_.emplace_back(AddRow(pressure_card_, end_delay_), tx::kEndDelay);
  captions_.emplace_back(AddRow(pressure_card_, pressure_), tx::kReading);
  other_frames_ = Frame(Column({temp_card_.card}), Column({pressure_card_.card}));
}

void FrmKvxSensoriPage::CaricaLingua() {
  model_.CaricaLingua();
  const pages::FrmKvxSensori& m = model_;
  title_->setText(Q(m.Text(tx::kTitle)));
  setWindowTitle(title_->text());
  for (const auto& [label, text] : captions_) {
    label->setText(Q(m.Text(text)));
  }
  level_card_.card->SetTitle(Q(m.Text(tx::kLevelSensor)));
  curve_card_.card->SetTitle(Q(m.Text(tx::kThresholds)));
  readings_card_.card->SetTitle(Q(m.Text(tx::kReading)));
  temp_card_.card->SetTitle(Q(m.Text(tx::kTemperatureSensors)));
  pressure_card_.card->SetTitle(Q(m.Text(tx::kPressureSensors)));
  defaults_->setText(Q(m.Text(tx::kDefaults)));
  full_->setText(Q(m.Text(tx::kFull)));
  empty_->setText(Q(m.Text(tx::kEmpty)));
  for (std::size_t i = 0; i < point_captions_.size(); ++i) {
    point_captions_[i]->setText(Q(m.Text(tx::kThreshold)) + QStringLiteral(" %1").arg(i + 1));
  }
  leds_->SetTitle(Q(m.Text(tx::kGasLevel)) + QStringLiteral(" (LED)"));
  Refresh();
}

void FrmKvxSensoriPage::Refresh() {
  const pages::SensorControls& c = model_.Controls();
  const std::array<std::pair<QComboBox*, const pages::ComboState*>, 9> combos = {{
      {level_type_, &c.level_type},
      {temp_sensor_, &c.temp_sensor},
      {min_temp_, &c.min_temp},
      {min_temp_delta_, &c.min_temp_delta},
      {pressure_sensor_, &c.pressure_sensor},
      {turbo_, &c.turbo},
      {end_of_gas_, &c.end_of_gas},
      {end_pressure_, &c.end_pressure},
      {end_delay_, &c.end_delay},
  }};
  for (const auto& [combo, state] : combos) {
    config_ui::ShowCombo(combo, *state);
  }
  for (std::size_t i = 0; i < points_.size(); ++i) {
    points_[i]->setText(Q(c.curve_texts[i]));
  }
  if (!scroll_->isSliderDown()) {
    const QSignalBlocker quiet(scroll_);
    scroll_->setValue(c.scroll);
  }
  level_frame_->setVisible(c.level_frame);
  other_frames_->setVisible(!c.level_frame);
  switch_->setText(Q(model_.SwitchCaption()));
  ShowReadings();
}

void FrmKvxSensoriPage::ShowReadings() {
  const pages::SensorReadings& r = model_.Readings();
  filtered_->setText(Q(r.filtered));
  unfiltered_->setText(Q(r.unfiltered));
  level_->setText(Q(r.level));
  temperature_->setText(Q(r.temperature));
  pressure_->setText(Q(r.pressure));
  r.valid ? leds_->SetValue(r.leds) : leds_->ClearValue();
  full_->setEnabled(r.valid);
  empty_->setEnabled(r.valid);
}

}  // namespace velmora::ui
