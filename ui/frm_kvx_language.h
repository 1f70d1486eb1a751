#pragma once

#include <QWidget>
#include <functional>

#include "core/dictionary.h"

class QButtonGroup;
class QGridLayout;

namespace velmora::ui {

// The language page of the main window: one button per language; choosing
// one stores it and re-captions every open window at once.
class FrmKvxLanguage : public QWidget {
  Q_OBJECT
 public:
  FrmKvxLanguage(core::ClsLingue& lingue, std::string title, std::function<void()> recaption,
                 QWidget* parent = nullptr);

  // What a click on language `index` does.
  void Choose(int index);

 private:
  void Populate();

  core::ClsLingue& lingue_;
  std::string title_;
  std::function<void()> recaption_;
  QButtonGroup* group_;
  QGridLayout* grid_;
};

}  // namespace velmora::ui
