#include "ui/qt_message_box.h"

#include <QMessageBox>

#include "ui/qt_text.h"

namespace velmora::ui {

namespace {

QMessageBox::Icon IconOf(platform::BoxKind kind) {
  switch (kind) {
    case platform::BoxKind::Critical:
      return QMessageBox::Critical;
    case platform::BoxKind::Information:
      return QMessageBox::Information;
    case platform::BoxKind::Exclamation:
      return QMessageBox::Warning;
    case platform::BoxKind::Question:
      return QMessageBox::Question;
    case platform::BoxKind::Plain:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBox::Show(std::string_view text, std::string_view caption, platform::BoxKind kind) {
  QMessageBox box(IconOf(kind), Q(caption), Q(text), QMessageBox::Ok, parent_);
  box.exec();
}

bool QtMessageBox::Ask(std::string_view text, std::string_view caption) {
  return QMessageBox::question(parent_, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

}  // namespace velmora::ui
