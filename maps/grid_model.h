#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::maps {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colour {
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kGrey{0x80, 0x80, 0x80};  // &H808080
// The system's button face and button text, as the view's palette has them.
inline constexpr Rgb kButtonFace{240, 240, 240};
inline constexpr Rgb kButtonText{0, 0, 0};
}  // namespace colour

struct CellPos {
  int row = 0;
  int col = 0;
  friend bool operator==(const CellPos&, const CellPos&) = default;
};

// Inclusive rectangle of cells.
struct CellRect {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  friend bool operator==(const CellRect&, const CellRect&) = default;
  [[nodiscard]] bool Contains(int row, int col) const {
    return row >= top && row <= bottom && col >= left && col <= right;
  }
};

// An editable grid without a window: cell texts and colours, fixed heading
// rows and columns, the current cell and the opposite corner of the
// selection, and the redraw switch. The pages edit it; a view shows it and
// hands back the user's selection. Positions outside the grid read empty
// and write nothing.
class GridModel {
 public:
  GridModel(int rows, int cols, int fixed_rows = 1, int fixed_cols = 1);

  [[nodiscard]] int Rows() const { return rows_; }
  [[nodiscard]] int Cols() const { return cols_; }
  [[nodiscard]] int FixedRows() const { return fixed_rows_; }
  [[nodiscard]] int FixedCols() const { return fixed_cols_; }
  [[nodiscard]] bool Contains(int row, int col) const {
    return row >= 0 && row < rows_ && col >= 0 && col < cols_;
  }
  [[nodiscard]] bool IsFixed(int row, int col) const {
    return row < fixed_rows_ || col < fixed_cols_;
  }

  [[nodiscard]] const std::string& Text(int row, int col) const;
  void SetText(int row, int col, std::string text);
  [[nodiscard]] Rgb Back(int row, int col) const;
  [[nodiscard]] Rgb Fore(int row, int col) const;
  void SetBack(int row, int col, Rgb colour);
  void SetFore(int row, int col, Rgb colour);

  // The current cell; moving it collapses the selection onto it. Clamped
  // to the data cells.
  [[nodiscard]] CellPos Current() const { return current_; }
  void SetCurrent(CellPos cell);
  // The corner opposite the current cell (RowSel, ColSel).
  [[nodiscard]] CellPos Opposite() const { return opposite_; }
  // Current cell and opposite corner together, as a mouse drag leaves them.
  void Select(CellPos current, CellPos opposite);
  // From the smaller to the larger of the current cell and the opposite
  // corner, in rows and in columns alike.
  [[nodiscard]] CellRect Selection() const;

  [[nodiscard]] bool Redraw() const { return redraw_; }
  void SetRedraw(bool on);

  [[nodiscard]] const std::string& Font() const { return font_; }
  void SetFont(std::string font) { font_ = std::move(font); }

  // Rises with every change, so a view refreshes only when it must.
  [[nodiscard]] std::uint64_t Revision() const { return revision_; }

 private:
  [[nodiscard]] std::size_t Index(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
           static_cast<std::size_t>(col);
  }
  [[nodiscard]] CellPos Clamp(CellPos cell) const;

  int rows_;
  int cols_;
  int fixed_rows_;
  int fixed_cols_;
  std::vector<std::string> texts_;
  std::vector<Rgb> back_;
  std::vector<Rgb> fore_;
  CellPos current_;
  CellPos opposite_;
  bool redraw_ = true;
  std::string font_;
  std::uint64_t revision_ = 0;
};

}  // namespace velmora::maps
