#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "maps/carburation_grid.h"
#include "maps/map_page.h"

namespace velmora::maps {

// The stepped-map flag the carburation page shows and edits: bit 64 of
// entry 15 field 5, written through entry 15's write list.
namespace stepped_flag {
inline constexpr std::size_t kEntry = 15;
inline constexpr std::int32_t kField = 5;
inline constexpr std::int32_t kBit = 64;
inline constexpr int kRequest = session::request::kEntry15List;
}  // namespace stepped_flag

namespace carb_text {
// The page's own texts in "[Frm_Matrix]", beside the ones it shares with
// the grid page.
inline constexpr int kRpm = 14;
inline constexpr int kMs = 15;
inline constexpr int kBar = 16;
inline constexpr int kStepped = 22;
inline constexpr int kShading = 23;
inline constexpr int kDefault = 24;
inline constexpr int kTitle = 55;
inline constexpr int kPrincipal = 56;
inline constexpr int kComputed = 57;
inline constexpr int kStep = 58;
// The small grid's font; the view falls back when the system lacks it.
inline constexpr std::string_view kFont = "Comic Sans MS";
inline constexpr std::string_view kStoreFailed = "Error on CaricaGrigliaInMatrice Procedure";
inline constexpr std::string_view kResetFallback = "Load the default calibration into the ECU?";
inline constexpr std::string_view kCalibrationExtension = ".xsi";
}  // namespace carb_text

// The carburation page's own captions; English until loaded.
struct CarbTexts {
  std::string title = "Carburation - simplified map";
  std::string rpm = "rpm";
  std::string ms = "ms";
  std::string bar = "bar";
  std::string stepped = "Stepped map";
  std::string shading = "Colour shading";
  std::string reset = "Default calibration";
  std::string principal = "Principal cells";
  std::string computed = "The cells between principal cells are computed automatically";
  std::string step = "Step";
};

// What the carburation page shows beyond the shared controls.
struct CarbControls {
  bool stepped_checked = false;  // ChkSpiana
  bool stepped_tag = false;      // the user's click still waits to be sent
  bool gradient_checked = true;  // ChkGradiente
};

// What became of CmdResetMap.
enum class ResetOutcome { kPosted, kDeclined, kNoFile, kBusy };

// FRM_KVXCarburazione without its window: a map shown as its 12 x 12
// principal cells. Every edit starts from the map as it is, changes the
// small grid and expands it back into the whole map before the map's
// write is posted.
class FrmCarburazione final : public MapPage {
 public:
  FrmCarburazione(MapPageEnv& env, int map);

  // The shared load, then the stepped-map box from the ECU.
  void Load() override;
  // The shared captions and combo lists, then the page's own captions.
  void CaricaLingua(const core::ClsLingue& lingue) override;

  // The page's own page code (27, 48 or 50).
  [[nodiscard]] int PageCode() const { return Info().carb_page; }
  [[nodiscard]] const CarbControls& Carb() const { return carb_; }
  [[nodiscard]] const CarbTexts& CarbCaptions() const { return carb_texts_; }
  // The small-grid cell of the engine's working point: the principal cell
  // at or below it in both directions.
  [[nodiscard]] CellPos WorkingPointCell() const;
  // Whether the ECU holds the map stepped (the expansion follows it).
  [[nodiscard]] bool SteppedInEcu() const;

  // AggiornaCursMappaSmall: the shared view flag and parameters, then the
  // stepped-map flag.
  void AggiornaCursMappaSmall() { AggiornaCursMappa(); }

  // --- the user's actions
  void SteppedClick(bool checked);
  void GradientClick(bool checked);
  // CmdResetMap: asks first; on Yes posts the load of the chosen
  // calibration when its file exists, silently nothing otherwise.
  ResetOutcome ResetMap();
  // A calibration for this page alone (a name without folder or
  // extension). Empty: the one the switch-over page's list has chosen,
  // else the reference calibration for the ECU's system.
  void SetChosenCalibration(std::string name) { chosen_ = std::move(name); }
  // The file CmdResetMap would load; empty when there is none.
  [[nodiscard]] std::string ResetFile() const;

 protected:
  void LoadGrid() override;
  [[nodiscard]] bool StoreGrid() override;
  void Shade() override;
  void ShowHeadings(std::span<const std::uint8_t> rpm, std::span<const std::uint8_t> time) override;
  void ShowPressureHeadings(std::span<const std::uint8_t> rpm,
                            std::span<const std::uint8_t> pressure, PressureLine line) override;
  void BeforeEdit() override;
  void FollowOwnControls() override;

 private:
  void SendStepped();

  CarbControls carb_;
  CarbTexts carb_texts_;
  std::string chosen_;
};

}  // namespace velmora::maps
