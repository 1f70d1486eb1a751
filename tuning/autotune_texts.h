#pragma once

#include <string_view>

namespace velmora::tuning {

// Texts of the window's dictionary block the procedure shows, by number.
namespace autotune_text {
inline constexpr int kReady = 16;      // step 0
inline constexpr int kFirstStep = 17;  // step k's title is kFirstStep + k - 1
inline constexpr int kStartEngine = 24;
inline constexpr int kWarmUp = 25;
inline constexpr int kSwitchToGas = 26;
inline constexpr int kKeepIdle = 27;
inline constexpr int kRaiseSpeed = 28;
inline constexpr int kReleaseThrottle = 29;
inline constexpr int kCalibrating = 30;
inline constexpr int kPressConfirm = 31;
inline constexpr int kWriting = 32;
inline constexpr int kDone = 33;
inline constexpr int kCancelled = 34;
inline constexpr int kEngineStopped = 35;
inline constexpr int kOutOfTolerance = 36;
inline constexpr int kStateRefused = 37;
inline constexpr int kWriteFailed = 38;
inline constexpr int kStartRefused = 47;
}  // namespace autotune_text

// The log's own words: they are read back by people who compare runs, so
// they do not follow the chosen language.
namespace log_text {
inline constexpr std::string_view kSampleIdle = "Campiona minimo";
inline constexpr std::string_view kSampleRaised = "Campiona massimo";
inline constexpr std::string_view kInjectors = "Tara iniettori";
inline constexpr std::string_view kIdle = "Tara al minimo";
inline constexpr std::string_view kNoRaised = "Campiona massimo =  Campiona minimo";
inline constexpr std::string_view kCylinder = "Cilindro n. ";
inline constexpr std::string_view kTemp = "TEMP - ";
inline constexpr std::string_view kTemp1 = "TEMP 1 - ";
inline constexpr std::string_view kColumns =
    "TimerApi_uSec\tAuxSample\tAuxTBenz\tTBenzMin\tTBenzMax\tTGasCil\tAuxRpm\tCorr";
}  // namespace log_text

}  // namespace velmora::tuning
