#pragma once

class QWidget;

namespace velmora::ui {

// Every control of a window gets the dictionary's font in the chosen
// language's character set.
void ApplyLanguageFont(QWidget* window, int charset);

}  // namespace velmora::ui
