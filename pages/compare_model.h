#pragma once

#include <array>
#include <string>
#include <vector>

#include "calib/calibration_diff.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::pages {

// The comparison page's code for SelezioneScheda: no page of the ECU uses it.
inline constexpr int kComparePage = 95;

// The comparison page's texts in the chosen language.
struct CompareTexts {
  std::string title = "Calibration comparison";
  std::array<std::string, 2> sides = {"First calibration", "Second calibration"};
  std::string ecu = "ECU";
  std::string image = "Current calibration";
  std::string other_file = "Other file...";
  std::string equal = "The two calibrations are equal";
  std::string differences = "differences";
  std::string copy_to_ecu = "Copy to the ECU";
  std::string copy_to_image = "Copy into the current calibration";
  std::string map_change = "Change of the selected map";
  std::string section = "Section";
  std::string changes = "Changes";
  std::string unreadable = "The file could not be read";
  std::string calibration_files = "Calibration files";
  std::string all_files = "All files";
  std::string busy = "Another operation is in progress: try again in a moment";
};

[[nodiscard]] CompareTexts CompareTextsFrom(const core::ClsLingue& lingue);

// The comparison of two calibrations, each the ECU's (the image; the
// calibration opened while no ECU is connected), an archive file or any
// calibration file: every part that differs, its fields, bytes and map
// cells, a map's change as a heat map, and one part copied from a file into
// the image, then written through the session like any edit.
class CompareModel final : public PageModel {
 public:
  static constexpr int kSides = 2;

  explicit CompareModel(PageEnv& env);

  void Shown() override;
  void LiveTick() override;
  void Refresh() override { Compare(); }
  void CalibrationRead() override { Compare(); }
  void MapWritten(int /*map*/, bool /*ok*/) override { Compare(); }

  void CaricaLingua();
  [[nodiscard]] const CompareTexts& Texts() const { return texts_; }

  // The items of both side selectors: the image first, the archive files,
  // the other files chosen so far, then "Other file...".
  [[nodiscard]] std::vector<std::string> SourceItems() const;
  [[nodiscard]] bool IsOtherFileItem(int item) const;
  [[nodiscard]] int Side(int side) const;
  void ChooseSide(int side, int item);
  // The file the view asked for after "Other file...".
  void ChooseFile(int side, const std::string& path);

  [[nodiscard]] const calib::CalibrationDiff& Diff() const { return diff_; }
  [[nodiscard]] const std::string& Status() const { return status_; }
  // One row per part that differs: its title and how many changes.
  [[nodiscard]] std::vector<std::array<std::string, 2>> Rows() const;
  [[nodiscard]] int SelectedRow() const { return selected_; }
  void SelectRow(int row);
  // The lines of the selected part, or of every part when none is chosen.
  [[nodiscard]] std::vector<std::string> Lines() const;
  // The cells' change (B minus A) of the selected map, or of the first map
  // that differs: 552 values at rpm x 23 + injection time; all 0 for none.
  [[nodiscard]] std::vector<int> MapChange() const;

  // Copying the selected part from the file side into the image side.
  [[nodiscard]] bool CanCopy() const;
  [[nodiscard]] const std::string& CopyText() const;
  void CopySelected();

 private:
  struct Source {
    bool image = true;
    std::string path;
  };
  void Compare();
  [[nodiscard]] bool Frames(const Source& s, calib::CalibrationFrames& out) const;
  [[nodiscard]] const calib::CompareUnit* SelectedUnit() const;
  [[nodiscard]] int ImageSide() const;
  [[nodiscard]] int WriteRequest(const calib::CompareUnit& unit) const;
  void CopyToEcu(const calib::CompareUnit& unit, const calib::CalibrationFrames& from, int code);

  PageEnv& env_;
  CompareTexts texts_;
  std::vector<std::string> archive_;  // full paths
  std::vector<std::string> others_;   // full paths
  std::array<Source, kSides> sides_;
  bool chosen_ = false;
  calib::CalibrationDiff diff_;
  std::string status_;
  int selected_ = -1;
  int awaiting_ = session::request::kNone;  // the request of a copy, until it ends
};

}  // namespace velmora::pages
