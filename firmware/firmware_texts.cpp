#include "firmware/firmware_texts.h"

#include "core/text_block.h"

namespace velmora::firmware {

namespace {

// The English texts, by their place in the block.
constexpr std::array<std::string_view, firmware_text::kCount> kEnglish = {
    "[Frm_Firmware]",
    "Firmware update",
    "ECU firmware",
    "Image firmware",
    "Choose image",
    "Update",
    "Close",
    "Version",
    "Preparing the ECU for the update...",
    "Starting the programming...",
    "Erasing the ECU memory...",
    "Writing the firmware...",
    "Ending the programming...",
    "Restarting the ECU and reloading the calibration...",
    "The chosen firmware is newer than the ECU firmware",
    "The update could not start: the ECU did not answer.",
    "The ECU firmware has not been changed. Check the connection and try again.",
    "Programming failed.",
    "The ECU has no valid firmware now: repeat the update without switching the ignition off.",
    "The firmware was written but the connection settings could not be restored.",
    "Switch the ignition off and on again, then reconnect.",
    "Firmware update completed successfully.",
    "The chosen firmware is the same as the ECU firmware",
    "Date",
    "Hardware",
    "This firmware cannot be written to this ECU",
    "The chosen firmware is older than the ECU firmware",
    "Do not switch the ignition off during the update",
    "Progress",
    "Current image:",
    "The chosen file is not a valid firmware image",
    "The firmware image holds no program data",
    "Checking the written firmware...",
    "Calibration backup:",
    "The firmware read back from the ECU differs from the image at address",
    "The calibration was not reloaded; it is kept in",
    "No valid firmware",
    "Image file missing",
    "No firmware image (*.frh) in the program folder",
    "blocks written of",
    "No ECU connected",
    "None: the ECU holds no calibration",
};

}  // namespace

FirmwareTexts::FirmwareTexts() {
  for (std::size_t k = 0; k < texts_.size(); ++k) {
    texts_[k] = kEnglish[k];
  }
}

FirmwareTexts::FirmwareTexts(const core::ClsLingue& lingue) : FirmwareTexts() {
  const core::TextBlock block(lingue, firmware_text::kMarker);
  for (std::size_t k = 1; k < texts_.size(); ++k) {
    block.Take(static_cast<int>(k), texts_[k]);
  }
}

std::string FirmwareTexts::operator[](int k) const {
  return k >= 0 && static_cast<std::size_t>(k) < texts_.size() ? texts_[static_cast<std::size_t>(k)]
                                                               : std::string();
}

}  // namespace velmora::firmware
