#include "ui/frm_change_axis.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/language_font.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kGridWidth = 300;
constexpr int kComboWidth = 90;

// The key as the model's grid takes it; 0 for keys it never sees
// (navigation and the like stay with the table).
char32_t ModelKey(const QKeyEvent& e) {
  switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return maps::axis_key::kEnter;
    case Qt::Key_Backspace:
      return maps::axis_key::kBackspace;
    default:
      break;
  }
  const QString text = e.text();
  if (text.size() != 1 || !text.at(0).isPrint()) {
    return 0;
  }
  return text.at(0).unicode();
}

bool IsNavigation(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Escape:
      return true;
    default:
      return false;
  }
}

QComboBox* NewCombo(const QString& name) {
  auto* c = new QComboBox;
  c->setObjectName(name);
  c->setMinimumWidth(kComboWidth);
  return c;
}

}  // namespace

FrmChangeAxisDialog::FrmChangeAxisDialog(maps::AxisEditorEnv env, const core::ClsLingue* lingue,
                                         QWidget* parent)
    : QDialog(parent),
      model_(std::move(env), lingue != nullptr ? maps::LoadAxisTexts(*lingue) : maps::AxisTexts{}),
      lingue_(lingue),
      grid_(new QTableWidget(maps::axis::kRows - 1, maps::axis::kCols)),
      principal_rpm_(new QGroupBox),
      principal_time_(new QGroupBox),
      ok_(new QPushButton),
      cancel_(new QPushButton),
      default_(new QPushButton),
      autoscale_x_(new QPushButton),
      autoscale_y_(new QPushButton) {
  setObjectName("FrmChangeAxis");
  setModal(true);
  SetUpGrid();
  // The principal indices label the boxes before the model's load runs.
  model_.PredisponiPuntatori();
  SetUpPrincipalBoxes();
  SetUpButtons();
  LayOut();
  // Window load.
  model_.Load();
  FillBoxes();
  CaricaLingua();
  Refresh();
}

void FrmChangeAxisDialog::SetUpGrid() {
  // The model's rows 1..24 are the table's rows 0..23 (breakpoint indices);
  // its heading row is the table's header.
  grid_->setObjectName("MSFGAssi");
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid_->setMinimumWidth(kGridWidth);
  for (int r = 0; r < grid_->rowCount(); ++r) {
    grid_->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(r)));
    for (int c = 0; c < grid_->columnCount(); ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      grid_->setItem(r, c, item);
    }
  }
  grid_->installEventFilter(this);
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
    if (refreshing_ || row < 0 || col < 0) {
      return;
    }
    model_.SelectCell({row + 1, col});
    Refresh();
  });
}

void FrmChangeAxisDialog::SetUpPrincipalBoxes() {
  auto* time_boxes = new QGridLayout(principal_time_);
  auto* rpm_boxes = new QGridLayout(principal_rpm_);
  for (int i = 0; i < maps::axis::kPrincipalCount; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    cmb_tinj_[at] = NewCombo(QStringLiteral("CmbTINJ%1").arg(i));
    cmb_rpm_[at] = NewCombo(QStringLiteral("CmbRPM%1").arg(i));
    time_boxes->addWidget(new QLabel(QString::number(model_.PrincipalTime()[at])), i, 0);
    time_boxes->addWidget(cmb_tinj_[at], i, 1);
    rpm_boxes->addWidget(new QLabel(QString::number(model_.PrincipalRpm()[at])), i, 0);
    rpm_boxes->addWidget(cmb_rpm_[at], i, 1);
    // Only a user's choice reaches the model: boxes set by the view do not
    // come back as choices.
    connect(cmb_tinj_[at], &QComboBox::activated, this, [this, i](int index) {
      model_.ChooseTime(i, index);
      Refresh();
    });
    connect(cmb_rpm_[at], &QComboBox::activated, this, [this, i](int index) {
      model_.ChooseRpm(i, index);
      Refresh();
    });
  }
}

void FrmChangeAxisDialog::SetUpButtons() {
  ok_->setObjectName("CmdOk");
  cancel_->setObjectName("CmdAnnulla");
  default_->setObjectName("CmdDefault");
  autoscale_x_->setObjectName("CmdAutoscaleX");
  autoscale_y_->setObjectName("CmdAutoscaleY");
  for (QPushButton* b : {ok_, cancel_, default_, autoscale_x_, autoscale_y_}) {
    b->setAutoDefault(false);
  }
  connect(ok_, &QPushButton::clicked, this, [this] { Finish(model_.CmdOk()); });
  connect(default_, &QPushButton::clicked, this, [this] { Finish(model_.CmdDefault()); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
  connect(autoscale_x_, &QPushButton::clicked, this, [this] {
    model_.CmdAutoscaleX();
    Refresh();
  });
  connect(autoscale_y_, &QPushButton::clicked, this, [this] {
    model_.CmdAutoscaleY();
    Refresh();
  });
}

void FrmChangeAxisDialog::LayOut() {
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(principal_time_);
  boxes->addWidget(principal_rpm_);
  auto* body = new QHBoxLayout;
  body->addWidget(grid_, 1);
  body->addLayout(boxes);
  auto* spread = new QHBoxLayout;
  spread->addWidget(autoscale_y_);
  spread->addWidget(autoscale_x_);
  spread->addStretch(1);
  auto* closing = new QHBoxLayout;
  closing->addWidget(default_);
  closing->addStretch(1);
  closing->addWidget(ok_);
  closing->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  layout->setSpacing(spacing::kGap);
  layout->addLayout(body, 1);
  layout->addLayout(spread);
  layout->addLayout(closing);
}

void FrmChangeAxisDialog::FillBoxes() {
  for (std::size_t at = 0; at < cmb_rpm_.size(); ++at) {
    for (double v : model_.TimeEntries()) {
      cmb_tinj_[at]->addItem(Q(maps::FormatAxisValue(v, false)));
    }
    for (double v : model_.RpmEntries()) {
      cmb_rpm_[at]->addItem(Q(maps::FormatAxisValue(v, true)));
    }
  }
}

QComboBox* FrmChangeAxisDialog::CmbRpm(int i) const {
  return i >= 0 && i < maps::axis::kPrincipalCount ? cmb_rpm_[static_cast<std::size_t>(i)]
                                                   : nullptr;
}

QComboBox* FrmChangeAxisDialog::CmbTinj(int i) const {
  return i >= 0 && i < maps::axis::kPrincipalCount ? cmb_tinj_[static_cast<std::size_t>(i)]
                                                   : nullptr;
}

void FrmChangeAxisDialog::CaricaLingua() {
  if (lingue_ != nullptr) {
    model_.SetTexts(maps::LoadAxisTexts(*lingue_));
  }
  const maps::AxisTexts& t = model_.Texts();
  setWindowTitle(Q(t.caption));
  grid_->setHorizontalHeaderLabels({Q(t.heading_time), Q(t.heading_rpm)});
  principal_time_->setTitle(Q(t.principal + " (" + t.label_time + ")"));
  principal_rpm_->setTitle(Q(t.principal + " (" + t.label_rpm + ")"));
  for (std::size_t i = 0; i < cmb_rpm_.size(); ++i) {
    cmb_rpm_[i]->setToolTip(Q(t.rpm_tips[i]));
    cmb_tinj_[i]->setToolTip(Q(t.time_tips[i]));
  }
  ok_->setText(Q(t.ok));
  cancel_->setText(Q(t.cancel));
  default_->setText(Q(t.default_axes));
  autoscale_x_->setText(Q(t.autoscale_x));
  autoscale_y_->setText(Q(t.autoscale_y));
  if (lingue_ != nullptr) {
    ApplyLanguageFont(this, lingue_->CharsetLingua(lingue_->IdLingua()));
  }
}

void FrmChangeAxisDialog::Refresh() {
  refreshing_ = true;
  const maps::GridModel& g = model_.Grid();
  if (g.Revision() != shown_revision_) {
    shown_revision_ = g.Revision();
    for (int r = 0; r < grid_->rowCount(); ++r) {
      for (int c = 0; c < grid_->columnCount(); ++c) {
        QTableWidgetItem* item = grid_->item(r, c);
        const QString text = Q(g.Text(r + 1, c));
        if (item != nullptr && item->text() != text) {
          item->setText(text);
        }
      }
    }
  }
  const maps::CellPos cur = g.Current();
  if (grid_->currentRow() != cur.row - 1 || grid_->currentColumn() != cur.col) {
    grid_->setCurrentCell(cur.row - 1, cur.col);
  }
  for (std::size_t i = 0; i < cmb_rpm_.size(); ++i) {
    const QSignalBlocker block_rpm(cmb_rpm_[i]);
    const QSignalBlocker block_tinj(cmb_tinj_[i]);
    cmb_rpm_[i]->setCurrentIndex(model_.SelectedRpm()[i]);
    cmb_tinj_[i]->setCurrentIndex(model_.SelectedTime()[i]);
  }
  refreshing_ = false;
}

bool FrmChangeAxisDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsNavigation(key->key())) {
      return QDialog::eventFilter(watched, event);
    }
    const char32_t k = ModelKey(*key);
    if (k != 0) {
      (void)model_.TypeKey(k);
      Refresh();
    }
    // Every other key is the model's to refuse, never the table's.
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void FrmChangeAxisDialog::Finish(maps::AxisOutcome outcome) {
  Refresh();
  switch (outcome) {
    case maps::AxisOutcome::kClose:
      accept();
      break;
    case maps::AxisOutcome::kBusy:
      QApplication::beep();
      break;
    case maps::AxisOutcome::kStay:
      break;
  }
}

void FrmChangeAxisDialog::reject() {
  model_.CmdAnnulla();
  QDialog::reject();
}

bool RunAxisEditor(const maps::MapPageEnv& env, const core::ClsLingue* lingue, QWidget* parent) {
  FrmChangeAxisDialog dialog(maps::AxisEditorEnvOf(env), lingue, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace velmora::ui
