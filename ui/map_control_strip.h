#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <string>

#include "maps/map_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace velmora::ui {

class MapGridView;

// The controls both map views share, over the page model both views have:
// the step, undo and axis buttons, the simplified-view box, the two map
// combos, the parameter combos with their labels, the grid's keys, the
// clipboard and the focus given back after a write. The view that owns the
// strip lays its widgets out and shows the model again on Acted().
class MapControlStrip final : public QObject {
  Q_OBJECT
 public:
  // How the step buttons are captioned: the sign and the word, or the
  // sign alone with the word as its tip.
  enum class StepCaptions { kWords, kSigns };

  // Where Ctrl+C puts its text and Ctrl+V takes it from; the system
  // clipboard unless replaced.
  struct Clipboard {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
  };

  // The widgets are children of `owner`, whose member the strip is; the
  // view shows the first `param_count` parameter combos (in maps::param
  // order). `page` is not owned.
  MapControlStrip(maps::MapPage& page, QWidget* owner, int param_count, StepCaptions captions);

  // Enter, + and -, Ctrl+C and Ctrl+V on the grid go to the page.
  void Attach(MapGridView* grid);
  // The captions and the map combos' entries from the page's texts.
  void ShowTexts();
  // Buttons, boxes and combos as the page has them; then the focus back
  // to the button pressed before the write.
  void Refresh();
  void SetClipboard(Clipboard clipboard) { clipboard_ = std::move(clipboard); }

  [[nodiscard]] QPushButton* Up() const { return up_; }
  [[nodiscard]] QPushButton* Down() const { return down_; }
  [[nodiscard]] QPushButton* Undo() const { return undo_; }
  [[nodiscard]] QPushButton* Axis() const { return axis_; }
  [[nodiscard]] QCheckBox* Simplified() const { return simplified_; }
  [[nodiscard]] QLabel* SelectionLabel() const { return selection_label_; }
  [[nodiscard]] QComboBox* SelPage0() const { return sel_page_0_; }
  [[nodiscard]] QComboBox* SelPage1() const { return sel_page_1_; }
  [[nodiscard]] int ParamCount() const { return param_count_; }
  // Null beyond the combos the view shows.
  [[nodiscard]] QComboBox* Param(int which) const;
  [[nodiscard]] QLabel* ParamLabel(int which) const;

 signals:
  // The user acted on the page through the strip.
  void Acted();

 private:
  void Connect();
  // Runs a user's action on the page, then lets the view show it.
  void Act(const std::function<void()>& action);
  void GiveFocusBack();
  void Copy();
  void Paste();

  maps::MapPage& page_;
  int param_count_;
  StepCaptions captions_;
  // Made in this order, so the first map combo is the first of them in
  // the focus chain.
  QLabel* selection_label_;
  QComboBox* sel_page_0_;
  QComboBox* sel_page_1_;
  QCheckBox* simplified_;
  QPushButton* up_;
  QPushButton* down_;
  QPushButton* undo_;
  QPushButton* axis_;
  std::array<QLabel*, maps::param::kCount> param_labels_{};
  std::array<QComboBox*, maps::param::kCount> params_{};
  Clipboard clipboard_;
};

}  // namespace velmora::ui
