#include "pages/lambda_emulation.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::pages {

namespace em = emulation;
namespace lc = lambda_code;

namespace {

std::int32_t& Cell(EmulationCells& cells, std::size_t r, std::size_t c) {
  return cells[r * em::kCols + c];
}

// Applies `change` (old value in the row's own unit to new) to every cell
// of the block that lies inside the table.
template <class Change>
void ForBlock(EmulationCells& cells, const CellBlock& block, int probe, Change change) {
  const MvRange range = ProbeRange(probe);
  const std::size_t bottom = std::min(block.bottom, em::kRows - 1);
  const std::size_t right = std::min(block.right, em::kCols - 1);
  for (std::size_t r = block.top; r <= bottom; ++r) {
    const em::RowKind kind = em::kRowKinds[r];
    for (std::size_t c = block.left; c <= right; ++c) {
      std::int32_t& cell = Cell(cells, r, c);
      if (kind == em::RowKind::kOffset) {
        const double now = OffsetOfCode(cell);
        cell = OffsetCellCode(core::RoundHalfEven(change(now, kind)));
      } else {
        cell = VoltageCellCode(change(VoltageCellMv(cell), kind), range);
      }
    }
  }
}

}  // namespace

std::int32_t SteppedBreakpoint(std::span<const std::int32_t> axis, std::size_t i, bool up,
                               bool shift, const em::AxisSteps& steps) {
  if (i >= axis.size()) {
    return 0;
  }
  const std::int32_t step = shift ? steps.shift_step : steps.step;
  const std::int32_t lo = i == 0 ? 0 : axis[i - 1];
  const std::int32_t hi = i + 1 < axis.size() ? axis[i + 1] : steps.last_max;
  const std::int64_t moved = static_cast<std::int64_t>(axis[i]) + (up ? step : -step);
  // A neighbour already out of order leaves no room: the lower bound wins.
  return static_cast<std::int32_t>(std::max<std::int64_t>(std::min<std::int64_t>(moved, hi), lo));
}

void StepCells(EmulationCells& cells, const CellBlock& block, bool up, bool shift, int probe) {
  const int sign = up ? 1 : -1;
  ForBlock(cells, block, probe, [&](double now, em::RowKind kind) {
    if (kind == em::RowKind::kOffset) {
      return now + sign * (shift ? em::kOffsetShiftStep : em::kOffsetStep);
    }
    return now + sign * (shift ? em::kVoltageShiftStep : em::kVoltageStep) * lc::kStepMv;
  });
}

void ApplyEnteredValue(EmulationCells& cells, const CellBlock& block, const EnteredValue& entered,
                       int probe) {
  const double v = entered.value;
  switch (entered.operation) {
    case value_op::kAdd:
      ForBlock(cells, block, probe, [v](double now, em::RowKind kind) {
        return now + (kind == em::RowKind::kVoltage ? v * lc::kMvPerVolt : v);
      });
      break;
    case value_op::kPercent:
      ForBlock(cells, block, probe, [v](double now, em::RowKind) { return now * (1 + v / 100); });
      break;
    case value_op::kSet:
      ForBlock(cells, block, probe, [v](double, em::RowKind kind) {
        return kind == em::RowKind::kVoltage ? v * lc::kMvPerVolt : v;
      });
      break;
    default:
      break;
  }
}

std::string CellText(std::int32_t code, em::RowKind kind) {
  if (kind == em::RowKind::kVoltage) {
    return VoltsText(VoltageCellMv(code));
  }
  const int offset = OffsetOfCode(code);
  return offset > 0 ? "+" + std::to_string(offset) : std::to_string(offset);
}

}  // namespace velmora::pages
