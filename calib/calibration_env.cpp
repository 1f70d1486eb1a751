#include "calib/calibration_env.h"

namespace velmora::calib {

namespace {

// Where the texts sit in the dictionary.
namespace dictionary_text {
inline constexpr int kTitle = 0;
inline constexpr std::string_view kMiscMarker = "[FrmMisc]";
inline constexpr int kMiscError = 7;
inline constexpr int kMiscWriteFailed = 21;
inline constexpr std::string_view kGeneralMarker = "[Frm_Generale]";
inline constexpr int kGeneralMapWriteFailed = 11;
}  // namespace dictionary_text

void Take(std::string& target, const std::string& text) {
  if (!text.empty()) {
    target = text;
  }
}

}  // namespace

CalibrationTexts TextsFromDictionary(const core::ClsLingue& lingue) {
  namespace d = dictionary_text;
  CalibrationTexts t;
  Take(t.title, lingue.VoceDizionario(lingue.IdLingua(), d::kTitle));
  if (const int misc = lingue.MarkerOffset(d::kMiscMarker); misc > 0) {
    Take(t.caption, lingue.Testo(misc, d::kMiscError));
    Take(t.file_write_failed, lingue.Testo(misc, d::kMiscWriteFailed));
  }
  if (const int general = lingue.MarkerOffset(d::kGeneralMarker); general > 0) {
    Take(t.map_write_failed, lingue.Testo(general, d::kGeneralMapWriteFailed));
  }
  return t;
}

}  // namespace velmora::calib
