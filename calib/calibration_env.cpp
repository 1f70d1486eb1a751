#include "calib/calibration_env.h"

#include "core/text_block.h"

namespace velmora::calib {

namespace {

// Where the texts sit in the dictionary.
namespace dictionary_text {
inline constexpr std::string_view kMiscMarker = "[FrmMisc]";
inline constexpr int kMiscError = 7;
inline constexpr int kMiscWriteFailed = 21;
inline constexpr std::string_view kGeneralMarker = "[Frm_Generale]";
inline constexpr int kGeneralMapWriteFailed = 11;
}  // namespace dictionary_text

}  // namespace

CalibrationTexts TextsFromDictionary(const core::ClsLingue& lingue) {
  namespace d = dictionary_text;
  CalibrationTexts t;
  t.title = core::TitleText(lingue, t.title);
  const core::TextBlock misc(lingue, d::kMiscMarker);
  misc.Take(d::kMiscError, t.caption);
  misc.Take(d::kMiscWriteFailed, t.file_write_failed);
  core::TextBlock(lingue, d::kGeneralMarker).Take(d::kGeneralMapWriteFailed, t.map_write_failed);
  return t;
}

bool UnderLongOperationParameter(link::EcuAccess& ecu, CalibrationOutcome* outcome,
                                 const std::function<bool()>& work) {
  // Any code but kOk keeps the parameter at 2; `work` has said why.
  constexpr int kWorkFailed = -1;
  bool work_failed = false;
  const int code =
      link::WithLongOperationParameter(ecu, link::ParameterRestore::kAfterSuccess, [&] {
        work_failed = !work();
        return work_failed ? kWorkFailed : link::kOk;
      });
  if (code == link::kOk) {
    return true;
  }
  return work_failed ? false : Fail(outcome, CalibrationError::kLink, std::nullopt, code);
}

}  // namespace velmora::calib
