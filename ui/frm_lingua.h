#pragma once

#include <QDialog>

#include "core/dictionary.h"

class QButtonGroup;

namespace velmora::ui {

// The start-up language window: one option per language; choosing one closes
// the window with that language's index as the result.
class FrmLingua : public QDialog {
  Q_OBJECT
 public:
  explicit FrmLingua(const core::ClsLingue& lingue, QWidget* parent = nullptr);
  [[nodiscard]] int Chosen() const { return chosen_; }

 private:
  int chosen_ = -1;
  QButtonGroup* group_;
};

}  // namespace velmora::ui
