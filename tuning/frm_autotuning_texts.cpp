#include "tuning/frm_autotuning_texts.h"

#include "core/text_block.h"
#include "tuning/autotune_run.h"

namespace velmora::tuning {

namespace {

namespace at = autotuning_text;

// The English texts, by their place in the block.
constexpr std::array<std::string_view, at::kCount> kEnglish = {
    "[Frm_AutoTuning]",
    "Auto-tuning",
    "Start",
    "Confirm",
    "Cancel",
    "Step",
    "Status",
    "Petrol injection time",
    "Gas injection time",
    "Cylinder",
    "Engine speed (rpm)",
    "Reducer temperature (°C)",
    "Gas pressure (bar)",
    "Injector nozzle size",
    "Injector type",
    "Samples",
    "Ready to start",
    "Step 1: preparation",
    "Step 2: preparing the ECU",
    "Step 3: sampling at idle",
    "Step 4: sampling at raised engine speed",
    "Step 5: injector calibration",
    "Step 6: idle calibration",
    "Step 7: writing the map",
    "Start the engine and let it idle on petrol.",
    "Wait until the engine reaches the working temperature.",
    "Wait for the switch-over to gas.",
    "Keep the engine at idle and do not touch the accelerator.",
    "Raise the engine speed to the value shown and keep it steady.",
    "Release the accelerator and let the engine return to idle.",
    "Calibrating the injectors cylinder by cylinder...",
    "Press Confirm to accept the idle calibration.",
    "Writing the calibration to the ECU...",
    "Auto-tuning completed successfully.",
    "Auto-tuning cancelled by the user.",
    "The engine speed fell too low: auto-tuning stopped.",
    "Too many corrections out of tolerance: auto-tuning stopped.",
    "The ECU state does not allow the measurement: auto-tuning stopped.",
    "Writing the map failed.",
    "Target engine speed",
    "Measured",
    "Target",
    "Tolerance",
    "Correction",
    "Log file",
    "Do not switch the engine off during the auto-tuning.",
    "Minimum temperature for tuning",
    "Auto-tuning cannot start: the ECU is not connected or the injection sequence is shifted. "
    "Check the injection sequence page.",
    "Auto-tuning did not start: the tuning parameters could not be read.",
    "Auto-tuning stopped with code",
    "Live values",
};

constexpr int kLastStep = 7;

}  // namespace

AutoTuningTexts::AutoTuningTexts() {
  for (std::size_t k = 0; k < texts_.size(); ++k) {
    texts_[k] = kEnglish[k];
  }
}

AutoTuningTexts::AutoTuningTexts(const core::ClsLingue& lingue) : AutoTuningTexts() {
  const core::TextBlock block(lingue, at::kMarker);
  for (std::size_t k = 1; k < texts_.size(); ++k) {
    block.Take(static_cast<int>(k), texts_[k]);
  }
}

std::string AutoTuningTexts::operator[](int k) const {
  return k >= 0 && static_cast<std::size_t>(k) < texts_.size() ? texts_[static_cast<std::size_t>(k)]
                                                               : std::string();
}

std::string AutoTuningTexts::StepTitle(int step) const {
  if (step >= 1 && step <= kLastStep) {
    return (*this)[at::kFirstStepTitle + step - 1];
  }
  return (*this)[at::kStep] + " " + std::to_string(step);
}

std::string AutoTuningTexts::ResultText(int result) const {
  switch (result) {
    case tune_result::kDone:
      return (*this)[at::kDone];
    case tune_result::kCancelled:
      return (*this)[at::kCancelled];
    case tune_result::kEngineStopped:
      return (*this)[at::kEngineStopped];
    case tune_result::kOutOfTolerance:
      return (*this)[at::kOutOfTolerance];
    case tune_result::kStateRefused:
      return (*this)[at::kStateRefused];
    case tune_result::kNotStarted:
      return (*this)[at::kNotStarted];
    default:
      return (*this)[at::kStoppedWithCode] + " " + std::to_string(result);
  }
}

}  // namespace velmora::tuning
