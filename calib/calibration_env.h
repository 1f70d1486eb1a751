#pragma once

#include <functional>
#include <optional>
#include <string>

#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "calib/calibration_sections.h"
#include "core/dictionary.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "platform/message_box.h"

namespace velmora::calib {

// The texts the calibration procedures show or write. The defaults are the
// English dictionary's; TextsFromDictionary takes the chosen language's.
struct CalibrationTexts {
  std::string title = "Velmora Workstation";  // dictionary entry 0, for "[INFO]"
  std::string caption = "Error";
  std::string file_write_failed = "The file could not be written";
  std::string map_write_failed = "Writing the map to the ECU failed";
  std::string tuning_import_question =
      "Write the tuning result table of the file into the ECU? The tuning tables of the ECU "
      "will be cleared.";
  std::string tuning_import_caption = "Confirm";
};

// Entry 0 for the title; "[FrmMisc]" for the caption and the file message;
// "[Frm_Generale]" for the map write message. Texts the dictionary lacks keep
// their defaults.
[[nodiscard]] CalibrationTexts TextsFromDictionary(const core::ClsLingue& lingue);

// Where the procedures keep and show things. Nothing here is owned.
struct CalibrationEnv {
  link::MessageTable& table;
  CalibrationImage& image;
  platform::MessageBox& box;
  DateProvider& dates;
  CalibrationTexts texts;
};

// Why a procedure returned false, for callers that say more than the
// dictionary's failure message (the command line tool, logs).
enum class CalibrationError {
  kNone,
  kMissingFile,       // the file does not exist or cannot be read
  kDamagedSection,    // a section the procedure needs is not usable
  kMissingSection,    // a section the procedure needs is not in the file
  kLink,              // an exchange failed (`link_code` says how)
  kShortAnswer,       // the ECU's answer is not the block it should be
  kReadBackMismatch,  // a map read back differs from what was written
  kWriteFile,         // the file could not be written
  kRefused,           // the user said no
};

struct CalibrationOutcome {
  CalibrationError error = CalibrationError::kNone;
  std::optional<Section> section;  // the section concerned, when there is one
  int link_code = 0;               // for kLink: the exchange's result code
};

// Records why a procedure failed, for a caller that asked (`outcome` not
// null), and gives false, so that a failure path reads `return Fail(...)`.
inline bool Fail(CalibrationOutcome* outcome, CalibrationError error,
                 std::optional<Section> section = std::nullopt, int link_code = 0) {
  if (outcome != nullptr) {
    *outcome = CalibrationOutcome{error, section, link_code};
  }
  return false;
}

// Records that a procedure succeeded and gives true.
inline bool Succeed(CalibrationOutcome* outcome) {
  if (outcome != nullptr) {
    *outcome = CalibrationOutcome{};
  }
  return true;
}

// Runs `work` under the long-operation link parameter, put back only when
// everything succeeded, as the bank transfers do. `work` records its own
// failure; a failure of the parameter messages is a link failure of no
// section.
[[nodiscard]] bool UnderLongOperationParameter(link::EcuAccess& ecu, CalibrationOutcome* outcome,
                                               const std::function<bool()>& work);

}  // namespace velmora::calib
