#include "diag/obd_texts.h"

#include <array>

#include "core/text_block.h"

namespace velmora::diag {

namespace {

constexpr std::array<std::string_view, obd_text::kCount> kObdFallbacks = {
    "",
    "OBD",
    "Start OBD reading",
    "Stop OBD reading",
    "OBD link",
    "Disabled",
    "Enabled",
    "OBD management",
    "Read only",
    "Adaptation",
    "Protocol",
    "Automatic search",
    "CAN",
    "K-line",
    "Use bank 2",
    "Short-term trim bank 1 (%)",
    "Long-term trim bank 1 (%)",
    "Short-term trim bank 2 (%)",
    "Long-term trim bank 2 (%)",
    "Fuel system status",
    "Open loop",
    "Closed loop",
    "Open loop (driving conditions)",
    "Open loop (system fault)",
    "Closed loop (sensor fault)",
    "Correction map",
    "Open map",
    "Reset map",
    "Save map",
    "Copy",
    "Row limits",
    "Correction agent",
    "Map divider",
    "Starting the OBD link, please wait...",
    "Trouble codes (DTC)",
    "Add code",
    "Remove code",
    "Malfunction lamp (MIL)",
    "1 - short-term trims|2 - long-term trims|3 - short- and long-term trims",
    "Stored trouble codes",
    "MIL on",
    "MIL off",
    "Bank 1",
    "Bank 2",
    "Write limits",
    "Cancel",
    "Current cell",
    "The map file could not be written",
    "The map file could not be loaded into the ECU",
    "The correction map could not be reset",
    "The OBD reading could not be started",
    "Engine speed (rpm)",
    "Injection time (ms)",
    "No stored trouble codes",
    "Map Files",
    "Limits are whole numbers from 0 to 255: the rows marked keep the ECU's value",
};

constexpr std::array<std::string_view, tuning_text::kCount> kTuningFallbacks = {
    "",
    "Adaptation",
    "Acquisition period",
    "Maximum correction",
    "Minimum difference",
    "Vacuum threshold",
    "Target trim",
    "Closed-loop delay",
    "Adaptation hours",
    "Adaptation temperature",
    "Adaptation engine speed",
    "Block the OBD link",
    "MIL off at key on",
    "MIL off at key off",
    "MIL always off",
    "Switch the MIL off once",
    "Selective clear list",
    "Invalid trouble code: use a letter P, C, B or U followed by four digits",
    "Advanced",
    "Number of OBD ECUs",
    "Average trim",
};

constexpr std::array<std::string_view, injdir_text::kCount> kInjDirFallbacks = {
    "",
    "Direct injection",
    "Rail pressure PID",
    "No rail pressure PID",
    "Rail pressure (bar)",
    "Petrol contribution",
    "Direct injection settings",
    "Injection sequence",
    "Correction map window",
    "Not available",
    "Rail pressure not read",
    "Petrol injectors",
    "Gas injectors",
    "Reading the OBD data...",
    "OBD data not available",
    "Close",
};

}  // namespace

BlockTexts::BlockTexts(const core::ClsLingue& lingue, std::string_view marker,
                       std::span<const std::string_view> fallbacks) {
  const core::TextBlock block(lingue, marker);
  texts_.reserve(fallbacks.size());
  for (std::size_t k = 0; k < fallbacks.size(); ++k) {
    texts_.push_back(block.Text(static_cast<int>(k), fallbacks[k]));
  }
}

const std::string& BlockTexts::operator[](int k) const {
  static const std::string kEmpty;
  return k >= 0 && k < static_cast<int>(texts_.size()) ? texts_[static_cast<std::size_t>(k)]
                                                       : kEmpty;
}

ObdTexts ObdTextsFrom(const core::ClsLingue& lingue) {
  return ObdTexts{BlockTexts(lingue, obd_text::kMarker, kObdFallbacks),
                  BlockTexts(lingue, tuning_text::kMarker, kTuningFallbacks),
                  BlockTexts(lingue, injdir_text::kMarker, kInjDirFallbacks),
                  FuelStatusTextsFrom(lingue)};
}

}  // namespace velmora::diag
