#include "maps/grid_model.h"

#include <algorithm>

namespace velmora::maps {

namespace {
const std::string kEmpty;
}  // namespace

GridModel::GridModel(int rows, int cols, int fixed_rows, int fixed_cols)
    : rows_(std::max(rows, 1)),
      cols_(std::max(cols, 1)),
      fixed_rows_(std::clamp(fixed_rows, 0, rows_ - 1)),
      fixed_cols_(std::clamp(fixed_cols, 0, cols_ - 1)),
      texts_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_)),
      back_(texts_.size(), colour::kWhite),
      fore_(texts_.size(), colour::kBlack),
      current_{fixed_rows_, fixed_cols_},
      opposite_(current_) {}

const std::string& GridModel::Text(int row, int col) const {
  return Contains(row, col) ? texts_[Index(row, col)] : kEmpty;
}

void GridModel::SetText(int row, int col, std::string text) {
  if (!Contains(row, col)) {
    return;
  }
  std::string& cell = texts_[Index(row, col)];
  if (cell != text) {
    cell = std::move(text);
    ++revision_;
  }
}

Rgb GridModel::Back(int row, int col) const {
  return Contains(row, col) ? back_[Index(row, col)] : colour::kWhite;
}

Rgb GridModel::Fore(int row, int col) const {
  return Contains(row, col) ? fore_[Index(row, col)] : colour::kBlack;
}

void GridModel::SetBack(int row, int col, Rgb colour) {
  if (Contains(row, col) && back_[Index(row, col)] != colour) {
    back_[Index(row, col)] = colour;
    ++revision_;
  }
}

void GridModel::SetFore(int row, int col, Rgb colour) {
  if (Contains(row, col) && fore_[Index(row, col)] != colour) {
    fore_[Index(row, col)] = colour;
    ++revision_;
  }
}

CellPos GridModel::Clamp(CellPos cell) const {
  return {std::clamp(cell.row, fixed_rows_, rows_ - 1),
          std::clamp(cell.col, fixed_cols_, cols_ - 1)};
}

void GridModel::SetCurrent(CellPos cell) {
  Select(cell, cell);
}

void GridModel::Select(CellPos current, CellPos opposite) {
  current = Clamp(current);
  opposite = Clamp(opposite);
  if (current != current_ || opposite != opposite_) {
    current_ = current;
    opposite_ = opposite;
    ++revision_;
  }
}

CellRect GridModel::Selection() const {
  return {std::min(current_.row, opposite_.row), std::min(current_.col, opposite_.col),
          std::max(current_.row, opposite_.row), std::max(current_.col, opposite_.col)};
}

void GridModel::SetRedraw(bool on) {
  if (redraw_ != on) {
    redraw_ = on;
    ++revision_;
  }
}

}  // namespace velmora::maps
