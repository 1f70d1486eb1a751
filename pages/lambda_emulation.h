#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "pages/lambda_codes.h"
#include "pages/value_entry.h"

namespace velmora::pages {

// The emulation table: rows along the 12 rpm breakpoints, columns along the
// 4 breakpoints of the second axis; cell (r, c) is entry 11 field
// 16 + r x 4 + c.
namespace emulation {
inline constexpr std::size_t kRows = 12;
inline constexpr std::size_t kCols = 4;
inline constexpr std::size_t kCells = kRows * kCols;

struct AxisSteps {
  std::int32_t step;        // one + or - key
  std::int32_t shift_step;  // with Shift held
  std::int32_t last_max;    // the last breakpoint's limit
};
inline constexpr AxisSteps kRpmAxis{100, 1000, 6000};
inline constexpr AxisSteps kBarAxis{10, 100, 5000};

// A row either corrects the probe signal by a signed offset or replaces it
// with a voltage. The grid marks each row with its kind: the full-load rows
// at the top of the speed range emulate a fixed voltage, every other row an
// offset.
enum class RowKind { kOffset, kVoltage };
inline constexpr std::array<RowKind, kRows> kRowKinds = {
    RowKind::kOffset, RowKind::kOffset, RowKind::kOffset,  RowKind::kOffset,
    RowKind::kOffset, RowKind::kOffset, RowKind::kOffset,  RowKind::kOffset,
    RowKind::kOffset, RowKind::kOffset, RowKind::kVoltage, RowKind::kVoltage};

// Key steps of a cell: offsets move by 1 (10 with Shift), voltages by one
// 19.6 mV step (five with Shift).
inline constexpr int kOffsetStep = 1;
inline constexpr int kOffsetShiftStep = 10;
inline constexpr int kVoltageStep = 1;
inline constexpr int kVoltageShiftStep = 5;
}  // namespace emulation

// An inclusive block of table cells.
struct CellBlock {
  std::size_t top = 0;
  std::size_t left = 0;
  std::size_t bottom = 0;
  std::size_t right = 0;
};

// Breakpoint `i` of `axis` moved one key step (`up` or down, Shift for the
// large step) and held between its neighbours: not below the previous one
// (0 for the first), not above the next, the last not above the axis limit.
[[nodiscard]] std::int32_t SteppedBreakpoint(std::span<const std::int32_t> axis, std::size_t i,
                                             bool up, bool shift,
                                             const emulation::AxisSteps& steps);

using EmulationCells = std::array<std::int32_t, emulation::kCells>;

// Every cell of `block` moved one key step; `probe` is the probe list
// position that limits the voltages.
void StepCells(EmulationCells& cells, const CellBlock& block, bool up, bool shift, int probe);

// Every cell of `block` after the value entry dialog's answer: add, percent
// or set, in volts on voltage rows. A cancelled answer changes nothing.
void ApplyEnteredValue(EmulationCells& cells, const CellBlock& block, const EnteredValue& entered,
                       int probe);

// A cell as the grid shows it: the signed offset, or volts on voltage rows.
[[nodiscard]] std::string CellText(std::int32_t code, emulation::RowKind kind);

}  // namespace velmora::pages
