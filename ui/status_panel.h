#pragma once

#include <QWidget>
#include <vector>

namespace velmora::ui {

// A card of labelled readings, each with a coloured lamp: the engine status
// of the dashboard.
class StatusPanel : public QWidget {
  Q_OBJECT
 public:
  struct Row {
    QString label;
    QString value;
    QRgb lamp = 0;
  };

  explicit StatusPanel(QWidget* parent = nullptr);

  void SetTitle(const QString& title);
  void SetRows(std::vector<Row> rows);
  [[nodiscard]] const std::vector<Row>& Rows() const { return rows_; }

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override { return {160, sizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  std::vector<Row> rows_;
};

}  // namespace velmora::ui
