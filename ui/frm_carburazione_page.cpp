#include "ui/frm_carburazione_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <array>

#include "ui/map_grid_view.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

// Informal rounded faces tried, in order, when the asked one is missing.
constexpr std::array<const char*, 3> kFontFallbacks = {"Comic Neue", "Comic Relief", "URW Gothic"};
constexpr int kCellWidth = 52;
constexpr int kCellHeight = 26;
constexpr int kHeadingWidth = 60;
constexpr int kSideWidth = 210;
constexpr int kMarkerWidth = 48;

}  // namespace

QFont CarburationFont(int point_size) {
  const QStringList families = QFontDatabase::families();
  QFont font;
  font.setStyleHint(QFont::Cursive);
  const QString wanted = QString::fromUtf8(maps::carb_text::kFont.data(),
                                           static_cast<qsizetype>(maps::carb_text::kFont.size()));
  if (families.contains(wanted, Qt::CaseInsensitive)) {
    font.setFamily(wanted);
  } else {
    for (const char* name : kFontFallbacks) {
      if (families.contains(QString::fromUtf8(name), Qt::CaseInsensitive)) {
        font.setFamily(QString::fromUtf8(name));
        break;
      }
    }
  }
  font.setPointSize(point_size);
  return font;
}

FrmCarburazionePage::FrmCarburazionePage(maps::FrmCarburazione& page, const core::ClsLingue* lingue,
                                         QWidget* parent)
    : QWidget(parent),
      page_(page),
      lingue_(lingue),
      grid_(new MapGridView(page.Grid(), this)),
      strip_(page, this, maps::param::kSecondInjection + 1, MapControlStrip::StepCaptions::kSigns),
      title_(new QLabel(this)),
      rpm_label_(new QLabel(this)),
      axis_label_(new QLabel(this)),
      notice_(new QLabel(this)),
      hint_(new QLabel(this)),
      step_label_(new QLabel(this)),
      point_caption_(new QLabel(this)),
      marker_(new QLabel(this)),
      reset_(new QPushButton(this)),
      stepped_(new QCheckBox(this)),
      gradient_(new QCheckBox(this)) {
  StyleWidgets();
  LayOut();
  Connect();
  ShowCaptions();
  Refresh();
}

void FrmCarburazionePage::StyleWidgets() {
  const QFont font = CarburationFont();
  grid_->Model().SetFont(font);
  grid_->setFont(font);
  grid_->horizontalHeader()->setDefaultSectionSize(kCellWidth);
  grid_->verticalHeader()->setDefaultSectionSize(kCellHeight);
  grid_->setColumnWidth(0, kHeadingWidth);
  // Exactly the cells: the small grid never scrolls.
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int side = maps::carb::kGridSide;
  const int frame = 2 * grid_->frameWidth();
  grid_->setFixedSize(kHeadingWidth + (side - 1) * kCellWidth + frame, side * kCellHeight + frame);

  QFont title_font = title_->font();
  title_font.setBold(true);
  title_font.setPointSize(title_font.pointSize() + 2);
  title_->setFont(title_font);
  rpm_label_->setAlignment(Qt::AlignCenter);
  notice_->setWordWrap(true);
  notice_->setStyleSheet(QStringLiteral("color: %1;").arg(Colour(palette::kTextMuted).name()));
  hint_->setWordWrap(true);
  marker_->setAlignment(Qt::AlignCenter);
  marker_->setMinimumWidth(kMarkerWidth);
  marker_->setFrameShape(QFrame::Box);
}

QWidget* FrmCarburazionePage::SidePanel() {
  auto* steps = new QHBoxLayout;
  steps->addWidget(step_label_);
  steps->addWidget(strip_.Down());
  steps->addWidget(strip_.Up());
  auto* point = new QHBoxLayout;
  point->addWidget(point_caption_);
  point->addWidget(marker_);
  point->addStretch(1);

  auto* side = new QVBoxLayout;
  side->addWidget(strip_.SelectionLabel());
  side->addWidget(strip_.SelPage0());
  side->addWidget(strip_.SelPage1());
  side->addSpacing(spacing::kGap);
  side->addLayout(steps);
  side->addWidget(hint_);
  side->addWidget(strip_.Undo());
  side->addWidget(strip_.Axis());
  side->addWidget(reset_);
  side->addSpacing(spacing::kGap);
  side->addWidget(strip_.Simplified());
  side->addWidget(stepped_);
  side->addWidget(gradient_);
  side->addSpacing(spacing::kGap);
  // labmultiplier over cmbmultiplier, lblpercsec over cmbpercsec.
  for (int i = 0; i < strip_.ParamCount(); ++i) {
    side->addWidget(strip_.ParamLabel(i));
    side->addWidget(strip_.Param(i));
  }
  side->addSpacing(spacing::kGap);
  side->addLayout(point);
  side->addStretch(1);
  auto* panel = new QWidget(this);
  panel->setLayout(side);
  panel->setFixedWidth(kSideWidth);
  return panel;
}

void FrmCarburazionePage::LayOut() {
  auto* grid_box = new QGridLayout;
  grid_box->addWidget(rpm_label_, 0, 1, Qt::AlignHCenter);
  grid_box->addWidget(axis_label_, 1, 0, Qt::AlignTop);
  grid_box->addWidget(grid_, 1, 1, Qt::AlignLeft | Qt::AlignTop);
  grid_box->setColumnStretch(2, 1);
  grid_box->setRowStretch(2, 1);

  auto* body = new QHBoxLayout;
  body->addLayout(grid_box, 1);
  body->addWidget(SidePanel());
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  outer->addWidget(title_);
  outer->addLayout(body, 1);
  outer->addWidget(notice_);
}

void FrmCarburazionePage::Connect() {
  strip_.Attach(grid_);
  connect(&strip_, &MapControlStrip::Acted, this, [this] { Refresh(); });
  // clicked comes from the user only; Refresh sets the boxes with their
  // signals blocked as well.
  connect(reset_, &QPushButton::clicked, this, [this] {
    static_cast<void>(page_.ResetMap());
    Refresh();
  });
  connect(stepped_, &QCheckBox::clicked, this, [this](bool checked) {
    page_.SteppedClick(checked);
    Refresh();
  });
  connect(gradient_, &QCheckBox::clicked, this, [this](bool checked) {
    page_.GradientClick(checked);
    Refresh();
  });
}

void FrmCarburazionePage::CaricaLingua() {
  if (lingue_ != nullptr) {
    page_.CaricaLingua(*lingue_);
  }
  ShowCaptions();
  Refresh();
}

void FrmCarburazionePage::ShowCaptions() {
  const maps::MatrixTexts& t = page_.Texts();
  const maps::CarbTexts& c = page_.CarbCaptions();
  strip_.ShowTexts();
  setWindowTitle(Q(c.title));
  rpm_label_->setText(Q(t.rpm_title));
  notice_->setText(Q(t.notice));
  notice_->setVisible(!t.notice.empty());
  hint_->setText(Q(c.computed));
  step_label_->setText(Q(c.step));
  point_caption_->setText(Q(t.working_point));
  reset_->setText(Q(c.reset));
  stepped_->setText(Q(c.stepped));
  gradient_->setText(Q(c.shading));
}

void FrmCarburazionePage::Refresh() {
  const maps::PageControls& c = page_.Controls();
  const maps::CarbControls& carb = page_.Carb();
  const maps::CarbTexts& texts = page_.CarbCaptions();
  const bool pressure = page_.MapIndex() == maps::map_info::kPressureMap;
  title_->setText(Q(texts.title) + QStringLiteral(" - ") +
                  Q(page_.Texts().map_names[static_cast<std::size_t>(page_.MapIndex())]));
  axis_label_->setText(Q(pressure ? texts.bar : texts.ms));
  {
    const QSignalBlocker b0(stepped_);
    const QSignalBlocker b1(gradient_);
    stepped_->setChecked(carb.stepped_checked);
    gradient_->setChecked(carb.gradient_checked);
  }
  marker_->setText(c.working_point_shown ? Q(c.marker_text) : QString());
  grid_->SetWorkingPoint(c.working_point_shown, page_.WorkingPointCell());
  grid_->Refresh();
  strip_.Refresh();
}

}  // namespace velmora::ui
