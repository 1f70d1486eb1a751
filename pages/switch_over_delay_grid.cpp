#include "pages/switch_over_delay_grid.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace velmora::pages {

namespace dg = delay_grid;

namespace {

std::size_t Field(int row, int column) {
  return static_cast<std::size_t>(column * dg::kRows + row);
}

bool Inside(int row, int column) {
  return row >= 0 && row < dg::kRows && column >= 0 && column < dg::kColumns;
}

}  // namespace

double ApplyOperation(double cell, const EnteredValue& entered) {
  const double v = entered.value;
  switch (entered.operation) {
    case value_op::kAdd:
      return cell + v;
    case value_op::kSet:
      return v;
    case value_op::kPercent: {
      const double old = std::floor(cell);
      const auto next = static_cast<double>(core::RoundHalfEven(cell * (1 + v / 100)));
      return next == old ? old + (v >= 0 ? 1 : -1) : next;
    }
    default:
      return cell;
  }
}

void DelayGrid::Load(const link::MessageTable& table) {
  for (int r = 0; r < dg::kRows; ++r) {
    for (int c = 0; c < dg::kColumns; ++c) {
      cells_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
          table.Value(dg::kEntry, Field(r, c));
      marks_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = Mark::kNone;
    }
  }
  changed_ = false;
}

void DelayGrid::Store(link::MessageTable& table) const {
  for (int r = 0; r < dg::kRows; ++r) {
    for (int c = 0; c < dg::kColumns; ++c) {
      table.SetValue(dg::kEntry, Field(r, c), Value(r, c));
    }
  }
}

std::int32_t DelayGrid::Value(int row, int column) const {
  return Inside(row, column)
             ? cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]
             : 0;
}

Mark DelayGrid::MarkOf(int row, int column) const {
  return Inside(row, column)
             ? marks_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]
             : Mark::kNone;
}

void DelayGrid::Select(const DelayCells& cells) {
  const auto row = [](int r) { return std::clamp(r, 0, dg::kRows - 1); };
  const auto col = [](int c) { return std::clamp(c, 0, dg::kColumns - 1); };
  selection_ = {row(std::min(cells.top, cells.bottom)), col(std::min(cells.left, cells.right)),
                row(std::max(cells.top, cells.bottom)), col(std::max(cells.left, cells.right))};
}

void DelayGrid::Set(int row, int column, double value) {
  if (!Inside(row, column) || !std::isfinite(value)) {
    return;
  }
  const auto c = static_cast<std::size_t>(column);
  const auto limited = static_cast<std::int32_t>(std::clamp(
      std::trunc(value), static_cast<double>(dg::kMin), static_cast<double>(dg::kMax[c])));
  std::int32_t& cell = cells_[static_cast<std::size_t>(row)][c];
  if (cell != limited) {
    cell = limited;
    marks_[static_cast<std::size_t>(row)][c] = Mark::kPending;
    changed_ = true;
  }
}

void DelayGrid::StepSelection(int delta) {
  for (int r = selection_.top; r <= selection_.bottom; ++r) {
    for (int c = selection_.left; c <= selection_.right; ++c) {
      Set(r, c, static_cast<double>(Value(r, c)) + delta);
    }
  }
}

bool DelayGrid::KeyDown(int key_code, bool shift) {
  const int size = shift ? dg::kShiftStep : dg::kStep;
  int step = 0;
  if (key_code == dg::kKeyAdd || key_code == dg::kKeyAddPad) {
    step = size;
  } else if (key_code == dg::kKeySubtract || key_code == dg::kKeySubtractPad) {
    step = -size;
  }
  if (step == 0) {
    return false;
  }
  held_step_ = step;
  StepSelection(step);
  return true;
}

void DelayGrid::Repeat() {
  if (held_step_ != 0) {
    StepSelection(held_step_);
  }
}

bool DelayGrid::KeyUp() {
  held_step_ = 0;
  return changed_;
}

void DelayGrid::Apply(const EnteredValue& entered) {
  for (int r = selection_.top; r <= selection_.bottom; ++r) {
    for (int c = selection_.left; c <= selection_.right; ++c) {
      Set(r, c, ApplyOperation(Value(r, c), entered));
    }
  }
}

bool DelayGrid::Marked() const {
  for (const auto& row : marks_) {
    for (const Mark m : row) {
      if (m != Mark::kNone) {
        return true;
      }
    }
  }
  return false;
}

void DelayGrid::MarkSent() {
  sent_ = cells_;
  changed_ = false;
}

void DelayGrid::Settle(const link::MessageTable& table, bool ok) {
  for (int r = 0; r < dg::kRows; ++r) {
    for (int c = 0; c < dg::kColumns; ++c) {
      Mark& m = marks_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      if (m != Mark::kPending) {
        continue;
      }
      const std::int32_t sent = sent_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      if (Value(r, c) != sent) {
        continue;  // edited again since: it goes with the next write
      }
      m = ok && table.Value(dg::kEntry, Field(r, c)) == sent ? Mark::kNone : Mark::kFailed;
    }
  }
}

}  // namespace velmora::pages
