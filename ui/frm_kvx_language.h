#pragma once

#include <QWidget>
#include <functional>

#include "core/dictionary.h"
#include "ui/window_registry.h"

class QButtonGroup;
class QGridLayout;
class QLabel;

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

// The language page as the main window shows it: the language in use
// above the language buttons, on a card of a readable width.
class LanguagePage : public QWidget, public Captioned {
  Q_OBJECT
 public:
  LanguagePage(core::ClsLingue& lingue, std::string title, std::function<void()> recaption,
               QWidget* parent = nullptr);

  void CaricaLingua() override;
  [[nodiscard]] FrmKvxLanguage* Buttons() const { return buttons_; }

 private:
  const core::ClsLingue& lingue_;
  QLabel* label_;
  FrmKvxLanguage* buttons_;
};

}  // namespace velmora::ui
