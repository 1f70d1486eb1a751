#include "ui/language_font.h"

#include <QFont>
#include <QWidget>

namespace velmora::ui {

void ApplyLanguageFont(QWidget* window, int charset) {
  if (window == nullptr) {
    return;
  }
  // Tahoma is rarely installed outside Windows: let Qt fall back to a sans
  // face of similar metrics instead of a serif default.
  QFont::insertSubstitutions("Tahoma", {"DejaVu Sans", "Liberation Sans", "Noto Sans"});
  QFont font = window->font();
  font.setFamily("Tahoma");
  window->setFont(font);
  window->setProperty("velmoraCharset", charset);
  for (QWidget* child : window->findChildren<QWidget*>()) {
    QFont f = child->font();
    f.setFamily("Tahoma");
    child->setFont(f);
  }
}

}  // namespace velmora::ui
