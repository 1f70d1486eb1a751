#pragma once

#include "pages/config_page_lists.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"

namespace velmora::pages {

// The words the switch-over page writes: entry 3 ("[BLK_3]") unless said.
namespace sw_word {
inline constexpr std::size_t kBlock3 = 3;
inline constexpr std::size_t kCoils = 0;
inline constexpr std::size_t kCylinders = 1;
inline constexpr std::size_t kTemperature = 2;
inline constexpr std::size_t kSpeedPeriod = 3;
inline constexpr std::size_t kInjectionType = 4;
inline constexpr std::size_t kOverlap = 5;
inline constexpr std::size_t kLastOutput = 16;  // cylinder 1; fields 16 - i = cylinder i + 1
inline constexpr std::size_t kOptions = 33;
inline constexpr std::size_t kHysteresis = 34;
inline constexpr std::size_t kFactorPeriod = 35;
inline constexpr std::size_t kMinOpening = 36;
inline constexpr std::size_t kForce = 37;
inline constexpr std::size_t kSequenceDelay = 41;
inline constexpr std::size_t kFactor = 42;
inline constexpr std::size_t kWarmUp = 43;
inline constexpr std::size_t kSpark = 44;
inline constexpr std::size_t kBadBit = 47;
inline constexpr std::size_t kOptions2 = 49;
// Entry 2: the options of Check3.
inline constexpr std::size_t kBlock2 = 2;
inline constexpr std::size_t kBlock2Options = 2;
// Entry 15 ("[BLK_6]").
inline constexpr std::size_t kBlock6 = 15;
inline constexpr std::size_t kGasDeadTime = 0;
inline constexpr std::size_t kBlock6Options = 5;
inline constexpr std::size_t kFirstChannel = 6;  // 6..13: gas output of channel i
inline constexpr std::size_t kFirstEnable = 15;  // 15..22: error enables of the cylinders
inline constexpr std::size_t kSystemId = 47;
inline constexpr std::size_t kSensitivity = 87;
// Entry 16 ("[BLK_8]").
inline constexpr std::size_t kBlock8 = 16;
inline constexpr std::size_t kRpmCycles = 25;
}  // namespace sw_word

// The bit values of the option words.
namespace sw_bit {
inline constexpr std::int32_t kRpmWire = 1;  // word 33
inline constexpr std::int32_t kDirection = 2;
inline constexpr std::int32_t kTemperatureSwitch = 4;
inline constexpr std::int32_t kServices = 8;
inline constexpr std::int32_t kFuelType = 32;
inline constexpr std::int32_t kEmergency = 4;  // word 49
inline constexpr std::int32_t kSpark = 8;
inline constexpr std::int32_t kStartStop = 128;  // entry 15 word 5
}  // namespace sw_bit

// The figures of the rpm conversion.
namespace rpm_conversion {
inline constexpr double kCoilNumerator = 240'000'000;
inline constexpr double kCylinderDivisor = 16;
inline constexpr double kFactor1Numerator = 15'000'000;
inline constexpr double kFactor2Numerator = 7'500'000;
inline constexpr int kMaxLayout = 9;  // 9 coils or cylinders or more: A = 1
inline constexpr std::int32_t kInvalid = 65535;
inline constexpr std::int32_t kOffset = 2;  // the item's rpm less 2, above 2
inline constexpr int kFactorTwo = 2;
}  // namespace rpm_conversion

// A = (coils x 240 000 000) / (cylinders x 16) in single precision; 1 when
// the cylinders are 0 or either count is 9 or more.
[[nodiscard]] float ConstantA(std::int32_t coils, std::int32_t cylinders);

// Entry 3 fields 3 and 35 for a switch-over speed of `rpm`: the periods
// A / r and B / r (r = rpm - 2 above 2), each 65535 when r is 0 or the
// quotient is not below 65535.
struct SpeedWords {
  std::int32_t period = rpm_conversion::kInvalid;
  std::int32_t factor_period = rpm_conversion::kInvalid;
  friend bool operator==(const SpeedWords&, const SpeedWords&) = default;
};
[[nodiscard]] SpeedWords RpmConversion(double rpm, std::int32_t coils, std::int32_t cylinders,
                                       std::int32_t factor);

// The speed AggiornaSelezioni looks up for a period in field 3: int(A /
// period), less 2 above 2. A period of 0 stands for no speed: nullopt.
[[nodiscard]] std::optional<std::int32_t> ShownSwitchSpeed(std::int32_t coils,
                                                           std::int32_t cylinders,
                                                           std::int32_t period);

// The number an item shows at its start ("1500 rpm" 1500, "0.8 bar" 0.8,
// "-5" -5; "," also separates decimals); nullopt for an item without one.
[[nodiscard]] std::optional<double> LeadingNumber(std::string_view item);

// The first of `numbers` not below `v`; -1 for none.
[[nodiscard]] int FirstNotBelow(const std::vector<std::optional<double>>& numbers, double v);
// The first of `numbers` equal to `v`; -1 for none.
[[nodiscard]] int FirstEqual(const std::vector<std::optional<double>>& numbers, double v);

// PredisponiSensibilita's raw steps: the dictionary's list after
// "[Sensibilita RPM]", else the built-in 35 steps. Items that are not
// whole numbers are left out.
inline constexpr std::string_view kSensitivityKey = "[Sensibilita RPM]";
inline constexpr std::string_view kBuiltInSensitivity =
    "0|7|14|20|27|34|41|47|54|61|68|74|81|88|95|101|108|115|122|128|135|142|149|155|162|169|176|"
    "182|189|196|203|209|216|223|230";
[[nodiscard]] std::vector<std::int32_t> SensitivitySteps(const core::ClsLingue& lingue);
// A step as the list shows it: the signal threshold in millivolts (5 V over
// 255 steps).
[[nodiscard]] std::string SensitivityText(std::int32_t step);

// The records of the cylinder-dependent data for `cylinders` (request 13):
// entry 3 word 1 and the gas outputs 16..9 (1 for cylinders present, 0
// beyond); entry 15 the straight channel assignment 6..13 and the error
// enables 15..22 (3 for cylinders present, 0 beyond).
struct CylinderRecord {
  std::size_t entry;
  std::int32_t field;
  std::int32_t value;
};
[[nodiscard]] std::vector<CylinderRecord> CylinderRecords(std::int32_t cylinders);

}  // namespace velmora::pages
