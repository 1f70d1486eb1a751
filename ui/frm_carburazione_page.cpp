#include "ui/frm_carburazione_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
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
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

// Informal rounded faces tried, in order, when the asked one is missing.
constexpr std::array<const char*, 3> kFontFallbacks = {"Comic Neue", "Comic Relief", "URW Gothic"};
constexpr int kCellWidth = 52;
constexpr int kCellHeight = 26;
constexpr int kHeadingWidth = 60;
constexpr int kSideWidth = 210;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

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
    : QWidget(parent), page_(page), lingue_(lingue) {
  Build();
  Connect();
  ShowCaptions();
  Refresh();
}

void FrmCarburazionePage::Build() {
  grid_ = new MapGridView(page_.Grid(), this);
  const QFont font = CarburationFont();
  grid_->Model().SetFont(font);
  grid_->setFont(font);
  grid_->horizontalHeader()->setDefaultSectionSize(kCellWidth);
  grid_->verticalHeader()->setDefaultSectionSize(kCellHeight);
  grid_->setColumnWidth(0, kHeadingWidth);
  const int side = maps::carb::kGridSide;
  // Exactly the cells: the small grid never scrolls.
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int frame = 2 * grid_->frameWidth();
  grid_->setFixedSize(kHeadingWidth + (side - 1) * kCellWidth + frame, side * kCellHeight + frame);

  title_ = new QLabel(this);
  QFont title_font = title_->font();
  title_font.setBold(true);
  title_font.setPointSize(title_font.pointSize() + 2);
  title_->setFont(title_font);
  rpm_label_ = new QLabel(this);
  rpm_label_->setAlignment(Qt::AlignCenter);
  axis_label_ = new QLabel(this);
  notice_ = new QLabel(this);
  notice_->setWordWrap(true);
  notice_->setStyleSheet(QStringLiteral("color: %1;").arg(Colour(palette::kTextMuted).name()));
  hint_ = new QLabel(this);
  hint_->setWordWrap(true);
  step_label_ = new QLabel(this);
  point_caption_ = new QLabel(this);
  marker_ = new QLabel(this);
  marker_->setAlignment(Qt::AlignCenter);
  marker_->setMinimumWidth(48);
  marker_->setFrameShape(QFrame::Box);

  up_ = new QPushButton(this);
  down_ = new QPushButton(this);
  undo_ = new QPushButton(this);
  change_axis_ = new QPushButton(this);
  reset_ = new QPushButton(this);
  sim_ = new QCheckBox(this);
  stepped_ = new QCheckBox(this);
  gradient_ = new QCheckBox(this);
  selection_label_ = new QLabel(this);
  sel_page_0_ = new QComboBox(this);
  sel_page_1_ = new QComboBox(this);
  multiplier_label_ = new QLabel(this);
  multiplier_ = new QComboBox(this);
  perc_sec_label_ = new QLabel(this);
  perc_sec_ = new QComboBox(this);

  auto* grid_box = new QGridLayout;
  grid_box->addWidget(rpm_label_, 0, 1, Qt::AlignHCenter);
  grid_box->addWidget(axis_label_, 1, 0, Qt::AlignTop);
  grid_box->addWidget(grid_, 1, 1, Qt::AlignLeft | Qt::AlignTop);
  grid_box->setColumnStretch(2, 1);
  grid_box->setRowStretch(2, 1);

  auto* steps = new QHBoxLayout;
  steps->addWidget(step_label_);
  steps->addWidget(down_);
  steps->addWidget(up_);

  auto* point = new QHBoxLayout;
  point->addWidget(point_caption_);
  point->addWidget(marker_);
  point->addStretch(1);

  auto* side_box = new QVBoxLayout;
  side_box->addWidget(selection_label_);
  side_box->addWidget(sel_page_0_);
  side_box->addWidget(sel_page_1_);
  side_box->addSpacing(spacing::kGap);
  side_box->addLayout(steps);
  side_box->addWidget(hint_);
  side_box->addWidget(undo_);
  side_box->addWidget(change_axis_);
  side_box->addWidget(reset_);
  side_box->addSpacing(spacing::kGap);
  side_box->addWidget(sim_);
  side_box->addWidget(stepped_);
  side_box->addWidget(gradient_);
  side_box->addSpacing(spacing::kGap);
  side_box->addWidget(multiplier_label_);
  side_box->addWidget(multiplier_);
  side_box->addWidget(perc_sec_label_);
  side_box->addWidget(perc_sec_);
  side_box->addSpacing(spacing::kGap);
  side_box->addLayout(point);
  side_box->addStretch(1);
  auto* side_widget = new QWidget(this);
  side_widget->setLayout(side_box);
  side_widget->setFixedWidth(kSideWidth);

  auto* body = new QHBoxLayout;
  body->addLayout(grid_box, 1);
  body->addWidget(side_widget);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  outer->addWidget(title_);
  outer->addLayout(body, 1);
  outer->addWidget(notice_);
}

void FrmCarburazionePage::Connect() {
  const auto after = [this](auto&& action) {
    return [this, action] {
      static_cast<void>(action());
      Refresh();
    };
  };
  connect(up_, &QPushButton::clicked, this, after([this] { return page_.StepUp(); }));
  connect(down_, &QPushButton::clicked, this, after([this] { return page_.StepDown(); }));
  connect(undo_, &QPushButton::clicked, this, after([this] { return page_.Undo(); }));
  connect(change_axis_, &QPushButton::clicked, this, after([this] { return page_.ChangeAxis(); }));
  connect(reset_, &QPushButton::clicked, this, after([this] { return page_.ResetMap(); }));
  connect(grid_, &MapGridView::EnterPressed, this, after([this] { return page_.Enter(); }));
  connect(grid_, &MapGridView::StepRequested, this, [this](int delta) {
    static_cast<void>(delta > 0 ? page_.StepUp() : page_.StepDown());
    Refresh();
  });
  connect(grid_, &MapGridView::CopyRequested, this, [this] { Copy(); });
  connect(grid_, &MapGridView::PasteRequested, this, [this] { Paste(); });
  // clicked / activated come from the user only; Refresh sets the boxes
  // with their signals blocked as well.
  connect(sim_, &QCheckBox::clicked, this, [this](bool checked) {
    page_.SimplifiedClick(checked);
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
  connect(sel_page_0_, &QComboBox::activated, this, [this](int index) {
    page_.SelPage0Click(index);
    Refresh();
  });
  connect(sel_page_1_, &QComboBox::activated, this, [this](int index) {
    page_.SelPage1Click(index);
    Refresh();
  });
  connect(multiplier_, &QComboBox::activated, this, [this](int index) {
    page_.ParamClick(maps::param::kMultiplier, index);
    Refresh();
  });
  connect(perc_sec_, &QComboBox::activated, this, [this](int index) {
    page_.ParamClick(maps::param::kSecondInjection, index);
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
  setWindowTitle(Q(c.title));
  rpm_label_->setText(Q(t.rpm_title));
  notice_->setText(Q(t.notice));
  notice_->setVisible(!t.notice.empty());
  hint_->setText(Q(c.computed));
  step_label_->setText(Q(c.step));
  point_caption_->setText(Q(t.working_point));
  up_->setText(QStringLiteral("+"));
  up_->setToolTip(Q(t.up));
  down_->setText(QStringLiteral("-"));
  down_->setToolTip(Q(t.down));
  undo_->setText(Q(t.undo));
  change_axis_->setText(Q(t.change_axis));
  reset_->setText(Q(c.reset));
  sim_->setText(Q(t.simplified));
  stepped_->setText(Q(c.stepped));
  gradient_->setText(Q(c.shading));
  selection_label_->setText(Q(t.map_selection));
  multiplier_label_->setText(Q(t.params[maps::param::kMultiplier]));
  perc_sec_label_->setText(Q(t.params[maps::param::kSecondInjection]));
  {
    const QSignalBlocker b0(sel_page_0_);
    const QSignalBlocker b1(sel_page_1_);
    sel_page_0_->clear();
    sel_page_1_->clear();
    for (std::size_t i = 0; i < t.map_entries.size(); ++i) {
      sel_page_0_->addItem(Q(t.map_entries[i]));
      if (i < 2) {
        sel_page_1_->addItem(Q(t.map_entries[i]));
      }
    }
  }
}

void FrmCarburazionePage::FillCombo(QComboBox* combo, const maps::ComboState& state) {
  const QSignalBlocker block(combo);
  bool same = combo->count() == static_cast<int>(state.items.size());
  for (int i = 0; same && i < combo->count(); ++i) {
    same = combo->itemText(i) == Q(state.items[static_cast<std::size_t>(i)]);
  }
  if (!same) {
    combo->clear();
    for (const std::string& item : state.items) {
      combo->addItem(Q(item));
    }
  }
  combo->setCurrentIndex(state.index < combo->count() ? state.index : -1);
}

void FrmCarburazionePage::ShowControls() {
  const maps::PageControls& c = page_.Controls();
  const maps::CarbControls& carb = page_.Carb();
  const maps::MatrixTexts& t = page_.Texts();
  const bool pressure = page_.MapIndex() == maps::map_info::kPressureMap;
  title_->setText(Q(page_.CarbCaptions().title) + QStringLiteral(" - ") +
                  Q(t.map_names[static_cast<std::size_t>(page_.MapIndex())]));
  axis_label_->setText(Q(pressure ? page_.CarbCaptions().bar : page_.CarbCaptions().ms));
  up_->setEnabled(page_.StepsEnabled());
  down_->setEnabled(page_.StepsEnabled());
  undo_->setEnabled(c.undo_enabled);
  {
    const QSignalBlocker b0(sim_);
    const QSignalBlocker b1(stepped_);
    const QSignalBlocker b2(gradient_);
    sim_->setChecked(c.simplified_checked);
    stepped_->setChecked(carb.stepped_checked);
    gradient_->setChecked(carb.gradient_checked);
  }
  {
    const QSignalBlocker b0(sel_page_0_);
    const QSignalBlocker b1(sel_page_1_);
    sel_page_0_->setCurrentIndex(c.sel_page_0);
    sel_page_1_->setCurrentIndex(c.sel_page_1);
  }
  FillCombo(multiplier_, c.params[maps::param::kMultiplier]);
  FillCombo(perc_sec_, c.params[maps::param::kSecondInjection]);
  marker_->setText(c.working_point_shown ? Q(c.marker_text) : QString());
  grid_->SetWorkingPoint(c.working_point_shown, page_.WorkingPointCell());
}

void FrmCarburazionePage::Refresh() {
  ShowControls();
  grid_->Refresh();
  switch (page_.TakeFocusReturn()) {
    case maps::Button::kUp:
      up_->setFocus();
      break;
    case maps::Button::kDown:
      down_->setFocus();
      break;
    case maps::Button::kUndo:
      undo_->setFocus();
      break;
    case maps::Button::kNone:
      break;
  }
}

void FrmCarburazionePage::Copy() {
  if (QClipboard* clip = QApplication::clipboard()) {
    clip->clear();
    clip->setText(Q(page_.Copy()));
  }
}

void FrmCarburazionePage::Paste() {
  if (QClipboard* clip = QApplication::clipboard()) {
    static_cast<void>(page_.Paste(clip->text().toStdString()));
  }
  Refresh();
}

}  // namespace velmora::ui
