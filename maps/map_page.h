#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"
#include "maps/grid_model.h"
#include "maps/map_grid_ops.h"
#include "maps/map_page_env.h"
#include "maps/map_table.h"

namespace velmora::maps {

// The 16-byte map configuration block ("[BLK_5]").
namespace config_block {
inline constexpr std::size_t kSize = 16;
inline constexpr std::size_t kViewByte = 15;
inline constexpr std::size_t kUndoBytes = 4;  // bytes 0..3 travel with map 0's undo
inline constexpr std::size_t kByte2 = 2;
inline constexpr std::size_t kByte3 = 3;
inline constexpr std::uint8_t kByte2OnLoad = 10;
inline constexpr std::uint8_t kByte3OnLoad = 17;
}  // namespace config_block

// The ECU parameters beside the map, in the order of the page's combos.
namespace param {
inline constexpr int kMultiplier = 0;       // cmbmultiplier
inline constexpr int kSecondInjection = 1;  // cmbpercsec
inline constexpr int kThirdInjection = 2;   // cmbpercsec3
inline constexpr int kFourthInjection = 3;  // cmbpercsec4
inline constexpr int kCount = 4;
}  // namespace param

struct ParamInfo {
  std::size_t entry;
  std::size_t field;
  int request;
};

inline constexpr std::array<ParamInfo, param::kCount> kParams{{
    {15, 88, session::request::kEntry15List},
    {16, 14, session::request::kEntry16List},
    {16, 28, session::request::kEntry16List},
    {16, 29, session::request::kEntry16List},
}};

// Live values the page reads from the main live record (entry 1).
namespace live_point {
inline constexpr std::size_t kEntry = 1;
inline constexpr std::size_t kRpmField = 51;
inline constexpr std::size_t kTimeField = 52;
}  // namespace live_point

// The map-2 pressure axis: entry 18 fields 0..22; the system id (which
// coefficient record gives the pressure line): entry 15 field 47.
namespace pressure_axis {
inline constexpr std::size_t kEntry = 18;
inline constexpr std::size_t kFirstField = 0;
inline constexpr std::size_t kSystemIdEntry = 15;
inline constexpr std::size_t kSystemIdField = 47;
}  // namespace pressure_axis

// The page's dictionary texts, relative to "[Frm_Matrix]".
namespace matrix_text {
inline constexpr std::string_view kMarker = "[Frm_Matrix]";
inline constexpr std::string_view kMultiplierKey = "[MOLTIPLICATORE]";
inline constexpr std::string_view kSecondInjKey = "[SECONDAINJ]";
inline constexpr int kCaption = 1;
inline constexpr int kMapNames = 2;  // 2, 3, 4: the three maps
inline constexpr int kSimplified = 5;
inline constexpr int kChangeAxis = 6;
inline constexpr int kUndo = 7;
inline constexpr int kUp = 8;
inline constexpr int kDown = 9;
inline constexpr int kMultiplier = 10;
inline constexpr int kInjections = 11;  // 11, 12, 13: second, third, fourth injection
inline constexpr int kTimeTitle = 17;
inline constexpr int kRpmTitle = 18;
inline constexpr int kPressureTitle = 19;
inline constexpr int kWorkingPoint = 20;
inline constexpr int kMapSelection = 25;
inline constexpr int kMapEntries = 26;  // 26, 27, 28: the map combos' entries
inline constexpr int kResetQuestion = 63;
inline constexpr int kNotice = 64;
}  // namespace matrix_text

// The page's captions in the chosen language; English until loaded.
struct MatrixTexts {
  std::string caption = "Injection map";
  std::array<std::string, 3> map_names = {"Base map", "Adaptive map", "Pressure map"};
  std::string simplified = "Simplified view";
  std::string change_axis = "Change axes";
  std::string undo = "Undo";
  std::string up = "Increase";
  std::string down = "Decrease";
  std::array<std::string, param::kCount> params = {"Map multiplier", "Second injection (%)",
                                                   "Third injection (%)", "Fourth injection (%)"};
  std::string time_title = "Petrol injection time (ms)";
  std::string rpm_title = "Engine speed (rpm)";
  std::string pressure_title = "Gas pressure (bar)";
  std::string working_point = "Working point";
  std::string map_selection = "Map selection";
  std::array<std::string, 3> map_entries = {"Map 1 - base", "Map 2 - adaptive", "Map 3 - pressure"};
  std::string reset_question;
  std::string notice;
};

// The buttons that give the focus back after a write.
enum class Button { kNone, kUp, kDown, kUndo };

// A parameter combo: its entries (caption and value), the selected entry
// (-1 none) and whether the user changed it and it still waits to be sent.
struct ComboState {
  std::vector<std::string> items;
  std::vector<std::int32_t> values;
  int index = -1;
  bool tag = false;
};

// Everything a view shows besides the grid.
struct PageControls {
  // CmdUp and CmdDw: off from an edit until its write came back.
  bool steps_enabled = true;
  bool undo_enabled = false;
  Button pressed = Button::kNone;       // the button whose Tag is "1"
  Button focus_return = Button::kNone;  // set by AbilitaTasti for the view
  bool simplified_checked = true;       // ChkSIM
  bool simplified_tag = false;
  int sel_page_0 = 0;  // CMB_SelPage_0: maps 0, 1, 2
  int sel_page_1 = 0;  // CMB_SelPage_1: maps 0, 1; -1 while map 2 is shown
  std::array<ComboState, param::kCount> params;
  bool working_point_shown = false;
  CellPos working_point{};  // grid cell of the engine's working point
  std::string marker_text;  // the map byte there
};

// What became of a user's edit.
enum class EditOutcome { kApplied, kBusy, kNotReady, kCancelled, kIgnored };

// The editing-ready flag's values.
namespace editing_ready {
inline constexpr int kNo = 0;
inline constexpr int kYes = 8;
}  // namespace editing_ready

// What the map grid page and the carburation page share: the page's map,
// its grid, the edit cycle (undo save, change, store, write request), the
// view flag, the map switch, the parameter combos and the working point.
// The page never talks to the ECU: it edits the image and posts requests.
class MapPage {
 public:
  MapPage(MapPageEnv& env, int map, int grid_rows, int grid_cols);
  virtual ~MapPage() = default;
  MapPage(const MapPage&) = delete;
  MapPage& operator=(const MapPage&) = delete;

  // --- state the view reads
  [[nodiscard]] int MapIndex() const { return map_; }
  void SetMapIndex(int map);
  [[nodiscard]] const MapInfo& Info() const { return InfoOfMap(map_); }
  [[nodiscard]] int EditingReady() const { return editing_ready_; }
  [[nodiscard]] int LastOption() const { return last_option_; }
  [[nodiscard]] GridModel& Grid() { return grid_; }
  [[nodiscard]] const GridModel& Grid() const { return grid_; }
  [[nodiscard]] const PageControls& Controls() const { return controls_; }
  [[nodiscard]] const MatrixTexts& Texts() const { return texts_; }
  [[nodiscard]] const Bytes& MapBytes() const { return env_.image.Map(map_); }
  [[nodiscard]] bool Suppressed() const { return suppress_ > 0; }
  // The map was read (or opened): before that there is nothing to edit,
  // and an edit would send a map made up of the empty grid.
  [[nodiscard]] bool HasMap() const;
  // Whether CmdUp and CmdDw take a click: not while an edit waits for its
  // write, and not before the map was read.
  [[nodiscard]] bool StepsEnabled() const { return controls_.steps_enabled && HasMap(); }
  // The focus the view should give back, once.
  [[nodiscard]] Button TakeFocusReturn();

  // --- calls of the window and the session
  // Window load: tags cleared, ChkSIM checked, editing not ready, the
  // configuration block's bytes 2 and 3 (10, 17) when the block is known,
  // the grid filled from the map. Derived pages add their own steps.
  virtual void Load();
  // Sets the map combos from the page code, fills the grid from the map,
  // marks the page ready and re-enables the buttons.
  void CambiaTipoGriglia(int page_code);
  // Headings from the image's breakpoints (pressure axis for map 2).
  void CaricaAssi();
  // After the session wrote (or failed to write) this page's map.
  void MapWritten(bool ok);
  void AbilitaTasti();
  // One live tick: the working point from the main live record, then the
  // view flag and the parameter combos.
  void Tick();
  void VisualizzaPuntoMatrice(int time_index, int rpm_index);
  void AggiornaCursMappa();
  // Captions, the notice and the parameter combos' lists.
  virtual void CaricaLingua(const core::ClsLingue& lingue);
  void RiempiCmbSwtch(const core::ClsLingue& lingue);

  // --- the user's actions
  EditOutcome StepUp() { return Step(Button::kUp, 1); }
  EditOutcome StepDown() { return Step(Button::kDown, -1); }
  // Enter on the grid: the value entry dialog, then the operation.
  EditOutcome Enter();
  [[nodiscard]] std::string Copy() const { return CopySelection(grid_); }
  EditOutcome Paste(std::string_view text);
  EditOutcome Undo();
  // Opens the axis editor when the slot is free.
  bool ChangeAxis();
  void SelPage0Click(int index);
  void SelPage1Click(int index);
  void SimplifiedClick(bool checked);
  void ParamClick(int which, int index);

 protected:
  // --- hooks of the derived pages
  // The page's grid from its map (factor 1).
  virtual void LoadGrid();
  // The page's grid into its map; false leaves the map alone and sends
  // nothing.
  [[nodiscard]] virtual bool StoreGrid();
  virtual void Shade();
  // Headings from the breakpoints, or from the pressure bytes and line.
  virtual void ShowHeadings(std::span<const std::uint8_t> rpm, std::span<const std::uint8_t> time);
  virtual void ShowPressureHeadings(std::span<const std::uint8_t> rpm,
                                    std::span<const std::uint8_t> pressure, PressureLine line);
  // Runs before every edit (the carburation page reloads its grid here).
  virtual void BeforeEdit() {}
  // The rest of AggiornaCursMappa (the carburation page's stepped-map flag).
  virtual void FollowOwnControls() {}

  [[nodiscard]] MapPageEnv& Env() { return env_; }
  [[nodiscard]] const MapPageEnv& Env() const { return env_; }
  [[nodiscard]] Bytes& Map() { return env_.image.Map(map_); }
  // The ECU's system id: which coefficient record and reference
  // calibration belong to it.
  [[nodiscard]] std::int32_t SystemId() const;
  // Sets check boxes and combos without it counting as the user's click.
  class Suppress {
   public:
    explicit Suppress(MapPage& page) : page_(page) { ++page_.suppress_; }
    ~Suppress() { --page_.suppress_; }
    Suppress(const Suppress&) = delete;
    Suppress& operator=(const Suppress&) = delete;

   private:
    MapPage& page_;
  };
  void AggiornaUndo();
  void ReplaceUndo();

 private:
  EditOutcome Step(Button button, int delta);
  // Busy slot or no map: why an edit cannot start; nullopt when it can.
  [[nodiscard]] std::optional<EditOutcome> Refusal() const;
  // Buttons off, redraw off, the pressed button marked.
  void BeginEdit(Button button);
  // Stores the grid and posts the map's write; the buttons come back when
  // nothing could be posted.
  EditOutcome Commit();
  void FollowView();
  void FollowParams();
  void SendView();
  void SendParams();
  [[nodiscard]] std::uint8_t ViewFlags() const;

  MapPageEnv& env_;
  int map_;
  int editing_ready_ = editing_ready::kNo;
  int last_option_ = 0;
  int suppress_ = 0;
  std::array<std::int32_t, param::kCount> last_values_;
  GridModel grid_;
  PageControls controls_;
  MatrixTexts texts_;
};

}  // namespace velmora::maps
