#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::tuning {

// The auto-tuning window's texts, by their place after its dictionary marker.
namespace autotuning_text {
inline constexpr std::string_view kMarker = "[Frm_AutoTuning]";
inline constexpr int kTitle = 1;
inline constexpr int kStart = 2;
inline constexpr int kConfirm = 3;
inline constexpr int kCancel = 4;
inline constexpr int kStep = 5;
inline constexpr int kStatus = 6;
inline constexpr int kPetrolTime = 7;
inline constexpr int kGasTime = 8;
inline constexpr int kCylinder = 9;
inline constexpr int kRpm = 10;
inline constexpr int kReducerTemperature = 11;
inline constexpr int kGasPressure = 12;
inline constexpr int kNozzle = 13;
inline constexpr int kInjectorType = 14;
inline constexpr int kSamples = 15;
inline constexpr int kReady = 16;
inline constexpr int kFirstStepTitle = 17;  // steps 1 to 7 follow in order
inline constexpr int kIdleInstruction = 24;
inline constexpr int kDone = 33;
inline constexpr int kCancelled = 34;
inline constexpr int kEngineStopped = 35;
inline constexpr int kOutOfTolerance = 36;
inline constexpr int kStateRefused = 37;
inline constexpr int kKeepEngineOn = 45;
inline constexpr int kStartRefused = 47;
inline constexpr int kNotStarted = 48;
inline constexpr int kStoppedWithCode = 49;
inline constexpr int kLiveValues = 50;
inline constexpr int kCount = 51;
}  // namespace autotuning_text

// The window's texts in the chosen language; a dictionary without the
// block, or without one of its texts, keeps the English text.
class AutoTuningTexts {
 public:
  AutoTuningTexts();
  explicit AutoTuningTexts(const core::ClsLingue& lingue);

  // Text k of the block; empty outside it.
  [[nodiscard]] std::string operator[](int k) const;
  // The title of step 1..7; "<Step> n" for any other step.
  [[nodiscard]] std::string StepTitle(int step) const;
  // What a run's result code means to the fitter.
  [[nodiscard]] std::string ResultText(int result) const;

 private:
  std::array<std::string, autotuning_text::kCount> texts_;
};

}  // namespace velmora::tuning
