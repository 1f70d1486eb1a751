#pragma once

#include <QString>
#include <functional>
#include <string>

#include "pages/config_page_lists.h"

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace velmora::ui {

class CardFrame;

// The pieces the configuration pages are built from: cards with a grid of
// caption and control rows, combo boxes that show a page model's combo, and
// the page title.
namespace config_ui {

[[nodiscard]] inline QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// A combo box named as its control; `chosen` gets the index the user picks.
[[nodiscard]] QComboBox* NewCombo(const char* name, std::function<void(int)> chosen);
// Shows `state`: the items (refilled only when they changed), the choice
// and whether it takes changes. Nothing reaches `chosen` meanwhile, and an
// open list is left alone.
void ShowCombo(QComboBox* combo, const pages::ComboState& state);

// A card whose body is a two-column grid: captions left, controls right.
struct FormCard {
  CardFrame* card = nullptr;
  QGridLayout* grid = nullptr;
};
[[nodiscard]] FormCard NewFormCard();
// Appends a caption and its control as the next row; returns the caption.
QLabel* AddRow(FormCard& form, QWidget* control);

// A column of cards `width` wide, added to the top of a page's body.
[[nodiscard]] QVBoxLayout* NewColumn(QHBoxLayout* body, int width);
[[nodiscard]] QLabel* NewTitle(QWidget& owner);
[[nodiscard]] QLabel* NewMuted();
[[nodiscard]] QLabel* NewValue(const char* name);
[[nodiscard]] QPushButton* NewButton(const char* name, std::function<void()> clicked);

}  // namespace config_ui
}  // namespace velmora::ui
