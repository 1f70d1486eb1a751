#pragma once

#include <QWidget>
#include <array>

#include "pages/compare_model.h"
#include "ui/frm_kvx_load_save.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace velmora::ui {

class CardFrame;
class ChangeHeatView;

// The comparison page: the two calibrations chosen at the top, the parts
// that differ on the left, the chosen part's differences in the middle, the
// map's change as a heat map on the right, and the copy button. A thin view
// over pages::CompareModel.
class ComparePage : public QWidget, public Captioned {
 public:
  explicit ComparePage(pages::CompareModel& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  // The model's state into the widgets.
  void Refresh();
  void SetFileChooser(FileChooser chooser) { choose_ = std::move(chooser); }

  [[nodiscard]] QComboBox* Side(int side) const { return sides_[static_cast<std::size_t>(side)]; }
  [[nodiscard]] QTableWidget* Sections() const { return sections_; }
  [[nodiscard]] QListWidget* Lines() const { return lines_; }
  [[nodiscard]] QPushButton* CopyButton() const { return copy_; }
  [[nodiscard]] ChangeHeatView* Heat() const { return heat_; }
  [[nodiscard]] QLabel* Status() const { return status_; }

 private:
  void Build();
  void BuildParts();
  void ChooseSide(int side, int item);

  pages::CompareModel& model_;
  FileChooser choose_;
  bool refreshing_ = false;
  std::array<QComboBox*, pages::CompareModel::kSides> sides_{};
  std::array<QLabel*, pages::CompareModel::kSides> side_captions_{};
  QLabel* status_;
  QTableWidget* sections_;
  QListWidget* lines_;
  ChangeHeatView* heat_;
  QPushButton* copy_;
  CardFrame* top_;
  CardFrame* parts_;
  CardFrame* details_;
  CardFrame* map_;
};

}  // namespace velmora::ui
