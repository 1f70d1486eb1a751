#pragma once

#include <QWidget>

#include "platform/message_box.h"

namespace velmora::ui {

// Message boxes of the core shown as Qt dialogs over the active window.
class QtMessageBox final : public platform::MessageBox {
 public:
  explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Show(std::string_view text, std::string_view caption, platform::BoxKind kind) override;
  bool Ask(std::string_view text, std::string_view caption) override;

 private:
  QWidget* parent_;
};

}  // namespace velmora::ui
