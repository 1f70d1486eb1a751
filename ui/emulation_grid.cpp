#include "ui/emulation_grid.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace em = pages::emulation;

constexpr int kRows = static_cast<int>(em::kRows) + 1;
constexpr int kCols = static_cast<int>(em::kCols) + 1;
constexpr int kCellWidth = 92;
constexpr int kCellHeight = 28;

// + (also "=" on the main keys, which carries + with Shift), and -.
int StepOfKey(int key) {
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return 1;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return -1;
    default:
      return 0;
  }
}

void SetCell(QTableWidget& grid, int row, int col, const QString& text, bool heading) {
  QTableWidgetItem* item = grid.item(row, col);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    item->setTextAlignment(Qt::AlignCenter);
    if (heading) {
      item->setBackground(Colour(palette::kAccentSoft));
      QFont f = item->font();
      f.setBold(true);
      item->setFont(f);
    }
    grid.setItem(row, col, item);
  }
  if (item->text() != text) {
    item->setText(text);
  }
}

}  // namespace

EmulationGrid::EmulationGrid(QWidget* parent) : QTableWidget(kRows, kCols, parent) {
  setObjectName("GrdEmul");
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  horizontalHeader()->setVisible(false);
  horizontalHeader()->setDefaultSectionSize(kCellWidth);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  verticalHeader()->setDefaultSectionSize(kCellHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  setMinimumSize(kCellWidth * kCols + 40, kCellHeight * kRows + 4);
  setVerticalHeaderItem(0, new QTableWidgetItem(QString()));
  for (int r = 1; r < kRows; ++r) {
    const bool voltage = em::kRowKinds[static_cast<std::size_t>(r - 1)] == em::RowKind::kVoltage;
    setVerticalHeaderItem(
        r, new QTableWidgetItem(voltage ? QStringLiteral("V") : QStringLiteral("\u00B1")));
  }
  SetCell(*this, 0, 0, QStringLiteral("rpm \\ mbar"), true);
  last_step_.invalidate();
}

void EmulationGrid::Show(const pages::LambdaControls& c) {
  for (std::size_t i = 0; i < em::kCols; ++i) {
    SetCell(*this, 0, static_cast<int>(i) + 1, QString::number(c.bar_axis[i]), true);
  }
  for (std::size_t r = 0; r < em::kRows; ++r) {
    const int row = static_cast<int>(r) + 1;
    SetCell(*this, row, 0, QString::number(c.rpm_axis[r]), true);
    for (std::size_t col = 0; col < em::kCols; ++col) {
      const std::int32_t code = c.cells[r * em::kCols + col];
      SetCell(*this, row, static_cast<int>(col) + 1,
              QString::fromStdString(pages::CellText(code, em::kRowKinds[r])), false);
    }
  }
  setEnabled(c.grids_enabled);
}

pages::CellBlock EmulationGrid::SelectedCells() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  int top = currentRow();
  int left = currentColumn();
  int bottom = top;
  int right = left;
  if (!ranges.isEmpty()) {
    top = ranges.front().topRow();
    left = ranges.front().leftColumn();
    bottom = ranges.front().bottomRow();
    right = ranges.front().rightColumn();
  }
  const auto cell = [](int v) { return static_cast<std::size_t>(std::max(v - 1, 0)); };
  return {cell(top), cell(left), cell(bottom), cell(right)};
}

void EmulationGrid::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    emit EnterPressed();
    return;
  }
  const int step = StepOfKey(key);
  if (step == 0) {
    QTableWidget::keyPressEvent(event);
    return;
  }
  if (event->isAutoRepeat() && last_step_.isValid() && last_step_.elapsed() < kRepeatMs) {
    return;
  }
  last_step_.start();
  emit StepRequested(step > 0, (event->modifiers() & Qt::ShiftModifier) != 0);
}

}  // namespace velmora::ui
