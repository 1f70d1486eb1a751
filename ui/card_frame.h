#pragma once

#include <QWidget>

class QVBoxLayout;

namespace velmora::ui {

// A titled card holding other widgets (the lambda probes' bars, the
// injection times).
class CardFrame : public QWidget {
  Q_OBJECT
 public:
  explicit CardFrame(QWidget* parent = nullptr);
  void SetTitle(const QString& title);
  [[nodiscard]] const QString& Title() const { return title_; }
  [[nodiscard]] QVBoxLayout* Body() const { return body_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  QVBoxLayout* body_;
};

}  // namespace velmora::ui
