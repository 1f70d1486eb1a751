#include "ui/frm_matrix_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/map_grid_view.h"
#include "ui/map_heat_view.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kMinCellWidth = 30;
constexpr int kMinCellHeight = 18;

QFont Enlarged(const QWidget& w, int points) {
  QFont f = w.font();
  f.setPointSize(f.pointSize() + points);
  f.setBold(true);
  return f;
}

}  // namespace

FrmMatrixPage::FrmMatrixPage(maps::FrmMatrix& page, const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      page_(page),
      lingue_(lingue),
      title_(new QLabel(this)),
      strip_(page, this, maps::param::kCount, MapControlStrip::StepCaptions::kWords),
      row_title_(new QLabel(this)),
      col_title_(new QLabel(this)),
      grid_(new MapGridView(page.Grid(), this)),
      heat_(new MapHeatView(this)),
      point_title_(new QLabel(this)),
      marker_(new QLabel(this)),
      notice_(new QLabel(this)) {
  grid_->setMinimumSize(maps::map_shape::kGridCols * kMinCellWidth,
                        maps::map_shape::kGridRows * kMinCellHeight);
  StyleLabels();
  LayOut();
  strip_.Attach(grid_);
  connect(&strip_, &MapControlStrip::Acted, this, [this] { Refresh(); });
  CaricaLingua();
}

void FrmMatrixPage::StyleLabels() {
  title_->setFont(Enlarged(*title_, 3));
  row_title_->setStyleSheet(QStringLiteral("color: #66788A;"));
  col_title_->setStyleSheet(QStringLiteral("color: #66788A;"));
  marker_->setAlignment(Qt::AlignCenter);
  marker_->setFont(Enlarged(*marker_, 6));
  notice_->setWordWrap(true);
  notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  notice_->setStyleSheet(QStringLiteral("color: #66788A;"));
}

void FrmMatrixPage::LayOut() {
  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(strip_.SelectionLabel());
  top->addWidget(strip_.SelPage0());
  top->addWidget(strip_.SelPage1());
  top->addSpacing(spacing::kGap);
  top->addWidget(strip_.Simplified());

  auto* titles = new QHBoxLayout;
  titles->addWidget(row_title_);
  titles->addStretch(1);
  titles->addWidget(col_title_);
  auto* left = new QVBoxLayout;
  left->addLayout(titles);
  left->addWidget(grid_, 1);
  left->addWidget(notice_);

  auto* side = new QVBoxLayout;
  side->addWidget(heat_);
  side->addWidget(point_title_);
  side->addWidget(marker_);
  auto* steps = new QHBoxLayout;
  steps->addWidget(strip_.Down());
  steps->addWidget(strip_.Up());
  side->addLayout(steps);
  side->addWidget(strip_.Undo());
  side->addWidget(strip_.Axis());
  auto* params = new QGridLayout;
  for (int i = 0; i < strip_.ParamCount(); ++i) {
    params->addWidget(strip_.ParamLabel(i), i, 0);
    params->addWidget(strip_.Param(i), i, 1);
  }
  side->addSpacing(spacing::kGap);
  side->addLayout(params);
  side->addStretch(1);

  auto* body = new QHBoxLayout;
  body->addLayout(left, 1);
  body->addSpacing(spacing::kGap);
  body->addLayout(side);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addLayout(top);
  page->addLayout(body, 1);
}

void FrmMatrixPage::CaricaLingua() {
  if (lingue_ != nullptr) {
    page_.CaricaLingua(*lingue_);
  }
  const maps::MatrixTexts& t = page_.Texts();
  strip_.ShowTexts();
  col_title_->setText(Q(t.rpm_title) + QStringLiteral(" \u2192"));
  point_title_->setText(Q(t.working_point));
  notice_->setText(Q(t.notice));
  notice_->setVisible(!t.notice.empty());
  Refresh();
}

void FrmMatrixPage::ShowMapCaptions() {
  const maps::MatrixTexts& t = page_.Texts();
  const int map = page_.MapIndex();
  title_->setText(Q(t.caption) + QStringLiteral(" - ") +
                  Q(t.map_names[static_cast<std::size_t>(map)]));
  setWindowTitle(title_->text());
  row_title_->setText(QStringLiteral("\u2193 ") +
                      Q(map == maps::map_info::kPressureMap ? t.pressure_title : t.time_title));
}

void FrmMatrixPage::Refresh() {
  const maps::PageControls& c = page_.Controls();
  ShowMapCaptions();
  grid_->Refresh();
  grid_->SetWorkingPoint(c.working_point_shown, c.working_point);
  heat_->SetMap(page_.MapBytes());
  heat_->SetWorkingPoint(c.working_point_shown, c.working_point.row - 1, c.working_point.col - 1);
  marker_->setText(c.working_point_shown ? Q(c.marker_text) : QString());
  strip_.Refresh();
}

}  // namespace velmora::ui
