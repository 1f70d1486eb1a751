#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/ecu_frame.h"
#include "link/message_table.h"
#include "pages/value_entry.h"
#include "pages/value_mark.h"

namespace velmora::pages {

// GrdTemp: the switch-over delay over coolant temperature, the "[RIT_COM]"
// block (entry 6): eight temperatures (fields 0..7), then the delay at each
// (fields 8..15).
namespace delay_grid {
inline constexpr std::size_t kEntry = 6;
inline constexpr std::uint8_t kWriteCommand = link::cmd::kWriteRitCom;
inline constexpr int kRows = 8;
inline constexpr int kColumns = 2;
inline constexpr int kTemperature = 0;  // column: coolant degrees C
inline constexpr int kDelay = 1;        // column: seconds
inline constexpr std::array<std::int32_t, kColumns> kMax = {120, 180};
inline constexpr std::int32_t kMin = 0;
inline constexpr int kStep = 1;
inline constexpr int kShiftStep = 10;
inline constexpr int kRepeatMs = 150;  // a held key steps again this often
// The keys that step the cells (the key codes of a Windows keyboard).
inline constexpr int kKeyAddPad = 107;
inline constexpr int kKeyAdd = 187;
inline constexpr int kKeySubtractPad = 109;
inline constexpr int kKeySubtract = 189;
}  // namespace delay_grid

// Inclusive rectangle of the grid's cells.
struct DelayCells {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
};

// The grid without its window: the cells, the selection, the held key and
// the marks of the values sent. The page posts the write when editing ends.
class DelayGrid {
 public:
  // The cells from entry 6; marks cleared.
  void Load(const link::MessageTable& table);
  // The cells into entry 6's values (the block the write sends).
  void Store(link::MessageTable& table) const;

  [[nodiscard]] std::int32_t Value(int row, int column) const;
  [[nodiscard]] Mark MarkOf(int row, int column) const;
  void Select(const DelayCells& cells);
  [[nodiscard]] const DelayCells& Selection() const { return selection_; }

  // A key went down: a step key (+ or -) steps the selection at once and
  // repeats with Repeat() while it is held; true for a step key.
  bool KeyDown(int key_code, bool shift);
  // The held key's next step (every 150 ms while it is held).
  void Repeat();
  [[nodiscard]] bool Held() const { return held_step_ != 0; }
  // The key came up: true when the cells changed since editing began.
  [[nodiscard]] bool KeyUp();
  // One operation of the value entry dialog on the selection, each cell
  // then kept within its column's limits.
  void Apply(const EnteredValue& entered);

  // The changed cells were sent; the write ended (`ok`) and entry 6 was
  // read back into `table`: cells the ECU holds as sent are steady, the
  // others marked failed.
  void MarkSent();
  void Settle(const link::MessageTable& table, bool ok);
  [[nodiscard]] bool Changed() const { return changed_; }
  // Some cell is still waiting for the ECU, or was not taken by it.
  [[nodiscard]] bool Marked() const;

 private:
  void StepSelection(int delta);
  void Set(int row, int column, double value);

  std::array<std::array<std::int32_t, delay_grid::kColumns>, delay_grid::kRows> cells_{};
  std::array<std::array<Mark, delay_grid::kColumns>, delay_grid::kRows> marks_{};
  std::array<std::array<std::int32_t, delay_grid::kColumns>, delay_grid::kRows> sent_{};
  DelayCells selection_{};
  int held_step_ = 0;
  bool changed_ = false;
};

// The value-entry result applied to one cell, before the column's limits:
// add, percent (a change that leaves the whole value as it was moves it by
// one), or set.
[[nodiscard]] double ApplyOperation(double cell, const EnteredValue& entered);

}  // namespace velmora::pages
