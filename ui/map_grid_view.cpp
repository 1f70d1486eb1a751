#include "ui/map_grid_view.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <array>

#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

// Condensed faces tried, in order, when the asked family is missing.
constexpr std::array<const char*, 4> kNarrowFallbacks = {
    "Liberation Sans Narrow", "DejaVu Sans Condensed", "Nimbus Sans Narrow", "Arial Narrow"};
constexpr int kFrameWidth = 3;
constexpr int kCellWidth = 36;
constexpr int kCellHeight = 22;
constexpr int kMinCellWidth = 28;
constexpr int kMinCellHeight = 16;

QColor ToQColor(maps::Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// Frames the working point's cell over the usual painting.
class WorkingPointDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (index.data(MapGridModel::kWorkingPointRole).toBool()) {
      painter->save();
      QPen pen(Colour(palette::kDanger));
      pen.setWidth(kFrameWidth);
      pen.setJoinStyle(Qt::MiterJoin);
      painter->setPen(pen);
      painter->setBrush(Qt::NoBrush);
      const int inset = kFrameWidth / 2 + 1;
      painter->drawRect(option.rect.adjusted(inset, inset, -inset, -inset));
      painter->restore();
    }
  }
};

}  // namespace

QFont NarrowFont(const std::string& family, int point_size) {
  const QStringList families = QFontDatabase::families();
  const auto has = [&](const QString& name) {
    return families.contains(name, Qt::CaseInsensitive);
  };
  QFont font;
  if (has(QString::fromStdString(family))) {
    font.setFamily(QString::fromStdString(family));
  } else {
    bool found = false;
    for (const char* name : kNarrowFallbacks) {
      if (has(QString::fromUtf8(name))) {
        font.setFamily(QString::fromUtf8(name));
        found = true;
        break;
      }
    }
    if (!found) {
      font.setStretch(QFont::Condensed);
    }
  }
  font.setPointSize(point_size);
  return font;
}

MapGridModel::MapGridModel(maps::GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), shown_revision_(grid.Revision()) {}

int MapGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Rows();
}

int MapGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Cols();
}

QVariant MapGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) {
    return {};
  }
  const int r = index.row();
  const int c = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(grid_.Text(r, c));
    case Qt::BackgroundRole:
      return ToQColor(grid_.Back(r, c));
    case Qt::ForegroundRole:
      return ToQColor(grid_.Fore(r, c));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::FontRole: {
      QFont f = font_;
      f.setBold(grid_.IsFixed(r, c));
      return f;
    }
    case kWorkingPointRole:
      return point_shown_ && point_.row == r && point_.col == c;
    case Qt::ToolTipRole:
      return tips_ ? QVariant(QString::fromStdString(tips_(r, c))) : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags MapGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || grid_.IsFixed(index.row(), index.column())) {
    return Qt::ItemIsEnabled;
  }
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool MapGridModel::Sync() {
  if (!grid_.Redraw() || grid_.Revision() == shown_revision_) {
    return false;
  }
  shown_revision_ = grid_.Revision();
  emit dataChanged(index(0, 0), index(grid_.Rows() - 1, grid_.Cols() - 1));
  return true;
}

void MapGridModel::SetWorkingPoint(bool shown, maps::CellPos cell) {
  if (shown == point_shown_ && cell == point_) {
    return;
  }
  const maps::CellPos old = point_;
  const bool was = point_shown_;
  point_shown_ = shown;
  point_ = cell;
  if (was && grid_.Contains(old.row, old.col)) {
    emit dataChanged(index(old.row, old.col), index(old.row, old.col), {kWorkingPointRole});
  }
  if (shown && grid_.Contains(cell.row, cell.col)) {
    emit dataChanged(index(cell.row, cell.col), index(cell.row, cell.col), {kWorkingPointRole});
  }
}

MapGridView::MapGridView(maps::GridModel& grid, QWidget* parent)
    : QTableView(parent), grid_(grid), model_(grid, this) {
  const QFont font = NarrowFont(grid.Font());
  model_.SetFont(font);
  setFont(font);
  setModel(&model_);
  setItemDelegate(new WorkingPointDelegate(this));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  // The whole map in view: the cells share the space the page gives.
  horizontalHeader()->setMinimumSectionSize(kMinCellWidth);
  horizontalHeader()->setDefaultSectionSize(kCellWidth);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  // The row headings ("13.5", pressures in bar) are wider than a cell.
  for (int c = 0; c < grid.FixedCols(); ++c) {
    horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  }
  verticalHeader()->setMinimumSectionSize(kMinCellHeight);
  verticalHeader()->setDefaultSectionSize(kCellHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { TakeSelection(); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { TakeSelection(); });
  ShowSelection();
}

void MapGridView::Refresh() {
  if (!grid_.Redraw()) {
    return;
  }
  model_.Sync();
  ShowSelection();
}

void MapGridView::SetWorkingPoint(bool shown, maps::CellPos cell) {
  model_.SetWorkingPoint(shown, cell);
}

void MapGridView::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    emit EnterPressed();
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    emit CopyRequested();
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    emit PasteRequested();
    return;
  }
  if (key == Qt::Key_Plus) {
    emit StepRequested(1);
    return;
  }
  if (key == Qt::Key_Minus) {
    emit StepRequested(-1);
    return;
  }
  QTableView::keyPressEvent(event);
}

void MapGridView::TakeSelection() {
  if (syncing_) {
    return;
  }
  const QModelIndex cur = currentIndex();
  if (!cur.isValid()) {
    return;
  }
  const maps::CellPos current{cur.row(), cur.column()};
  maps::CellPos opposite = current;
  const QItemSelection sel = selectionModel()->selection();
  for (const QItemSelectionRange& range : sel) {
    if (range.contains(cur)) {
      opposite.row = cur.row() == range.top() ? range.bottom() : range.top();
      opposite.col = cur.column() == range.left() ? range.right() : range.left();
      break;
    }
  }
  syncing_ = true;
  grid_.Select(current, opposite);
  syncing_ = false;
}

void MapGridView::ShowSelection() {
  if (syncing_) {
    return;
  }
  syncing_ = true;
  const maps::CellRect r = grid_.Selection();
  const maps::CellPos cur = grid_.Current();
  const QItemSelection wanted(model_.index(r.top, r.left), model_.index(r.bottom, r.right));
  const QModelIndex current = model_.index(cur.row, cur.col);
  if (selectionModel()->currentIndex() != current) {
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  }
  const QItemSelection have = selectionModel()->selection();
  if (have.size() != 1 || have.front().topLeft() != wanted.front().topLeft() ||
      have.front().bottomRight() != wanted.front().bottomRight()) {
    selectionModel()->select(wanted, QItemSelectionModel::ClearAndSelect);
  }
  syncing_ = false;
}

}  // namespace velmora::ui
