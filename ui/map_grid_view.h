#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <string>

#include "maps/grid_model.h"

namespace velmora::ui {

// A narrow font for the map cells: the family asked for when the system
// has it, else a condensed face that is there, else the default font
// squeezed.
[[nodiscard]] QFont NarrowFont(const std::string& family, int point_size = 9);

// A maps::GridModel as Qt sees it: every cell (headings included, grey or
// in their colours) with its text, colours and centred alignment. Changes
// reach the view only through Sync(), and not while the grid's redraw is
// off.
class MapGridModel final : public QAbstractTableModel {
 public:
  explicit MapGridModel(maps::GridModel& grid, QObject* parent = nullptr);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

  // True when something changed and was handed to the view.
  bool Sync();
  void SetFont(const QFont& font) { font_ = font; }
  // What a cell's tooltip says (row, column); none without it.
  void SetToolTips(std::function<std::string(int, int)> tips) { tips_ = std::move(tips); }

  // The working point the cell frame marks; shown false hides it.
  void SetWorkingPoint(bool shown, maps::CellPos cell);
  [[nodiscard]] bool WorkingPointShown() const { return point_shown_; }
  [[nodiscard]] maps::CellPos WorkingPoint() const { return point_; }
  // The data role the delegate reads: true on the working point's cell.
  static constexpr int kWorkingPointRole = Qt::UserRole + 1;

 private:
  maps::GridModel& grid_;
  std::uint64_t shown_revision_;
  QFont font_;
  std::function<std::string(int, int)> tips_;
  bool point_shown_ = false;
  maps::CellPos point_{};
};

// The map grid: a table over MapGridModel whose selection follows the
// grid's current cell and opposite corner both ways, with the working point
// framed. Enter, Ctrl+C, Ctrl+V and + / - become signals for the page.
class MapGridView final : public QTableView {
  Q_OBJECT
 public:
  explicit MapGridView(maps::GridModel& grid, QWidget* parent = nullptr);

  // Re-reads the grid (texts, colours, selection) unless redrawing is off.
  void Refresh();
  void SetWorkingPoint(bool shown, maps::CellPos cell);
  [[nodiscard]] MapGridModel& Model() { return model_; }

 signals:
  void EnterPressed();
  void CopyRequested();
  void PasteRequested();
  void StepRequested(int delta);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The view's selection into the grid.
  void TakeSelection();
  // The grid's selection into the view.
  void ShowSelection();

  maps::GridModel& grid_;
  MapGridModel model_;
  bool syncing_ = false;
};

}  // namespace velmora::ui
