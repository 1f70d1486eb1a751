#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/config_scale.h"
#include "pages/config_page_lists.h"
#include "pages/level_curve.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::pages {

// The sensors page's code for the page switch: no refresh identifier of the
// session names it, so the page shows its blocks again whenever they were
// read (see FrmKvxSensori::LiveTick).
inline constexpr int kSensorsPageCode = 45;

// Where the sensor settings live in the message table.
namespace sensor_field {
inline constexpr std::size_t kBlock3 = 3;
inline constexpr std::size_t kLevelFirst = 25;  // the record's first integer
inline constexpr std::size_t kLevelLast = 26;   // and its last
inline constexpr std::size_t kCurve = 27;       // 27..32
inline constexpr std::size_t kOptions = 33;
inline constexpr std::int32_t kTurboBit = 64;
inline constexpr std::int32_t kEndOfGasBit = 128;
inline constexpr std::size_t kEndPressure = 39;  // number x 1000
inline constexpr std::size_t kEndDelay = 40;     // number x 1000
inline constexpr std::size_t kTempSensor = 45;
inline constexpr std::size_t kPressureSensor = 46;
inline constexpr std::size_t kBlock6 = 15;
inline constexpr std::size_t kMinTemp = 3;
inline constexpr std::size_t kMinTempDelta = 4;
inline constexpr std::size_t kBlock6Options = 5;
inline constexpr std::int32_t kMinTempBit = 2;
inline constexpr std::size_t kLive = 1;
inline constexpr std::size_t kLevelLeds = 4;
inline constexpr std::size_t kGasPressure = 33;  // mbar
inline constexpr std::size_t kLevelRaw = 41;     // mV
inline constexpr std::size_t kLevelFiltered = 42;
inline constexpr std::size_t kGasTemperature = 44;  // degrees C
inline constexpr std::size_t kLevelPercent = 46;
}  // namespace sensor_field

// The page's texts: "[FrmLevel]" for the level sensor, "[Frm_Config]" for
// the others.
namespace sensors_text {
inline constexpr std::string_view kLevel = "[FrmLevel]";
inline constexpr std::string_view kConfig = "[Frm_Config]";
inline constexpr DictText kTitle{kLevel, 19, "Sensors"};
inline constexpr DictText kLevelSensor{kLevel, 1, "Gas level sensor"};
inline constexpr DictText kSensorType{kLevel, 2, "Sensor type"};
inline constexpr DictText kThresholds{kLevel, 3, "Level thresholds"};
inline constexpr DictText kDefaults{kLevel, 4, "Default thresholds"};
inline constexpr DictText kFull{kLevel, 5, "Set as full tank"};
inline constexpr DictText kEmpty{kLevel, 6, "Set as empty tank"};
inline constexpr DictText kFiltered{kLevel, 7, "Filtered reading (mV)"};
inline constexpr DictText kUnfiltered{kLevel, 8, "Unfiltered reading (mV)"};
inline constexpr DictText kGasLevel{kLevel, 9, "Gas level"};
inline constexpr int kPointNames = 10;  // 10..14: reserve .. full
inline constexpr DictText kThreshold{kLevel, 15, "Threshold"};
inline constexpr DictText kTemperatureSensors{kLevel, 17, "Temperature sensors"};
inline constexpr DictText kPressureSensors{kLevel, 18, "Pressure sensors"};
inline constexpr DictText kReading{kLevel, 20, "Current reading"};
inline constexpr DictText kOff{kConfig, 28, "Off"};
inline constexpr DictText kOn{kConfig, 29, "On"};
inline constexpr DictText kPressureSensor{kConfig, 36, "Gas pressure sensor"};
inline constexpr DictText kTemperatureSensor{kConfig, 37, "Gas temperature sensor"};
inline constexpr DictText kEndOfGas{kConfig, 38, "End of gas"};
inline constexpr DictText kEndPressure{kConfig, 39, "End-of-gas pressure"};
inline constexpr DictText kEndDelay{kConfig, 40, "End-of-gas delay"};
inline constexpr DictText kMinTemp{kConfig, 41, "Minimum gas temperature"};
inline constexpr DictText kMinTempDelta{kConfig, 42, "Temperature hysteresis"};
inline constexpr DictText kTurbo{kConfig, 43, "Turbo engine"};
inline constexpr DictText kAspirated{kConfig, 44, "Naturally aspirated"};
inline constexpr DictText kTurbocharged{kConfig, 45, "Turbocharged"};
inline constexpr std::string_view kEndPressureKey = "[Pressione di fine gas bar]";
inline constexpr std::string_view kEndDelayKey = "[Tempo di fine gas ms]";
inline constexpr std::string_view kPressureSensorKey = "[Tipo sensore pressione]";
inline constexpr std::string_view kMinTempKey = "[CmbMinTempGas]";
inline constexpr std::string_view kMinTempDeltaKey = "[CmbDeltaMinTempGas]";
inline constexpr std::string_view kNoValue = "- - -";
}  // namespace sensors_text

struct SensorControls {
  ComboState level_type;  // CmbTipoLev
  LevelCurve curve{};     // entry 3 fields 27..32
  std::array<std::string, level_curve::kPoints> curve_texts;
  std::int32_t scroll = 0;     // HScrLevel: the curve's full end
  ComboState turbo;            // CmbTurbo
  ComboState end_of_gas;       // CmbFineGas
  ComboState end_pressure;     // CmbSwtchBar
  ComboState end_delay;        // CmbSwtchDelayPress
  ComboState temp_sensor;      // CmbTipoSensTemp
  ComboState temp_sensor_low;  // CmbTipoSensTempLOW
  ComboState pressure_sensor;  // CmbTipoSensMap
  ComboState min_temp;         // CmbMinTempGas
  ComboState min_temp_delta;   // CmbDeltaMinTempGas
  bool level_frame = true;     // CMD_SENSORI: the level frame, or temperature and pressure
};

// CaricaLivelliAttuale: the readings as the page shows them, "- - -" when
// no value is available.
struct SensorReadings {
  bool valid = false;
  std::string filtered;     // LblSensValFiltrato, mV
  std::string unfiltered;   // LblSensValNoFiltrato, mV
  std::string level;        // LblLevelVal, %
  int leds = 0;             // 0..5
  std::string pressure;     // bar
  std::string temperature;  // degrees C
};

// FRM_KVXSensori without its window: the gas-level sensor and its curve,
// the pressure and temperature sensors, the end-of-gas rules and the
// minimum gas temperature. Block 3 goes with request 7, block 6 with 54.
class FrmKvxSensori final : public PageModel {
 public:
  explicit FrmKvxSensori(PageEnv& env);

  void Shown() override {
    AggiornaSelezioni();
    CaricaLivelliAttuale();
  }
  void Refresh() override { AggiornaSelezioni(); }
  void CalibrationRead() override { AggiornaSelezioni(); }
  void LiveTick() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }

  void CaricaLingua();
  void RiempiCmbSwtch();
  void AggiornaSelezioni();
  void CaricaSoglieLivello();
  void CaricaLivelliAttuale();

  [[nodiscard]] const SensorControls& Controls() const { return c_; }
  [[nodiscard]] const SensorReadings& Readings() const { return r_; }
  [[nodiscard]] std::string Text(const DictText& text) const { return TextOf(text, env_.lingue); }
  // CMD_SENSORI's caption: ">>>" on the level frame, "<<<" on the others.
  [[nodiscard]] std::string SwitchCaption() const { return c_.level_frame ? ">>>" : "<<<"; }

  void ChooseLevelType(int index);  // CmbTipoLev
  void LevelDefaults();             // CmdLevDef
  void SetFull();                   // CmdMassimo
  void SetEmpty();                  // CmdMinimo
  void ScrollLevel(int step);       // HScrLevel
  void ChooseTurbo(int index);
  void ChooseEndOfGas(int index);
  void ChooseEndPressure(int index);
  void ChooseEndDelay(int index);
  void ChooseTempSensor(int index);  // CmbTipoSensTemp and CmbTipoSensTempLOW
  void ChoosePressureSensor(int index);
  void ChooseMinTemp(int index);
  void ChooseMinTempDelta(int index);
  void SwitchFrames();  // CMD_SENSORI

 private:
  [[nodiscard]] bool Ready();
  [[nodiscard]] std::int32_t Value(std::size_t entry, std::size_t field) const {
    return env_.table.Value(entry, field);
  }
  [[nodiscard]] int RecordIndex() const;
  void WriteCurve(const LevelCurve& curve);
  void PostBlock3(std::vector<EntryRecord> records);
  void WriteItemTimes1000(const ComboState& combo, int index, std::size_t field);
  void WriteBit(ComboState& combo, int index, std::int32_t bit);
  void WritePosition(ComboState& combo, int index, std::size_t field);

  PageEnv& env_;
  std::vector<core::GasLevelSensor> records_;
  SensorControls c_;
  SensorReadings r_;
  ShownBlocks shown_{{sensor_field::kBlock3, sensor_field::kBlock6}};
  bool loading_ = false;
  bool stale_ = false;
  bool enabled_ = true;
};

}  // namespace velmora::pages
