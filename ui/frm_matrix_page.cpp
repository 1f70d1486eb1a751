#include "ui/frm_matrix_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/map_grid_view.h"
#include "ui/map_heat_view.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// A combo's entries and selection as the model has them, without the
// change counting as the user's.
void ShowCombo(QComboBox* box, const maps::ComboState& state) {
  const QSignalBlocker block(box);
  bool same = box->count() == static_cast<int>(state.items.size());
  for (int i = 0; same && i < box->count(); ++i) {
    same = box->itemText(i) == Q(state.items[static_cast<std::size_t>(i)]);
  }
  if (!same) {
    box->clear();
    for (const auto& item : state.items) {
      box->addItem(Q(item));
    }
  }
  box->setCurrentIndex(state.index);
}

void Focus(QPushButton* button) {
  if (button->isEnabled()) {
    button->setFocus(Qt::OtherFocusReason);
  }
}

}  // namespace

FrmMatrixPage::FrmMatrixPage(maps::FrmMatrix& page, const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent), page_(page), lingue_(lingue) {
  Build();
  Wire();
  CaricaLingua();
}

QComboBox* FrmMatrixPage::ParamBox(int param) const {
  if (param < 0 || param >= maps::param::kCount) {
    return nullptr;
  }
  return params_[static_cast<std::size_t>(param)];
}

void FrmMatrixPage::Build() {
  title_ = new QLabel(this);
  QFont big = title_->font();
  big.setPointSize(big.pointSize() + 3);
  big.setBold(true);
  title_->setFont(big);
  selection_title_ = new QLabel(this);
  sel_page_0_ = new QComboBox(this);
  sel_page_1_ = new QComboBox(this);
  sim_ = new QCheckBox(this);

  row_title_ = new QLabel(this);
  col_title_ = new QLabel(this);
  row_title_->setStyleSheet(QStringLiteral("color: #66788A;"));
  col_title_->setStyleSheet(QStringLiteral("color: #66788A;"));
  grid_ = new MapGridView(page_.Grid(), this);
  grid_->setMinimumSize(25 * 30, 24 * 18);

  heat_ = new MapHeatView(this);
  point_title_ = new QLabel(this);
  marker_ = new QLabel(this);
  marker_->setAlignment(Qt::AlignCenter);
  QFont marker_font = marker_->font();
  marker_font.setPointSize(marker_font.pointSize() + 6);
  marker_font.setBold(true);
  marker_->setFont(marker_font);
  up_ = new QPushButton(this);
  down_ = new QPushButton(this);
  undo_ = new QPushButton(this);
  axis_ = new QPushButton(this);
  for (int i = 0; i < maps::param::kCount; ++i) {
    param_labels_[static_cast<std::size_t>(i)] = new QLabel(this);
    params_[static_cast<std::size_t>(i)] = new QComboBox(this);
  }
  notice_ = new QLabel(this);
  notice_->setWordWrap(true);
  notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  notice_->setStyleSheet(QStringLiteral("color: #66788A;"));

  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(selection_title_);
  top->addWidget(sel_page_0_);
  top->addWidget(sel_page_1_);
  top->addSpacing(spacing::kGap);
  top->addWidget(sim_);

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
  steps->addWidget(down_);
  steps->addWidget(up_);
  side->addLayout(steps);
  side->addWidget(undo_);
  side->addWidget(axis_);
  auto* params = new QGridLayout;
  for (int i = 0; i < maps::param::kCount; ++i) {
    params->addWidget(param_labels_[static_cast<std::size_t>(i)], i, 0);
    params->addWidget(params_[static_cast<std::size_t>(i)], i, 1);
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

void FrmMatrixPage::Wire() {
  const auto after = [this](auto&& action) {
    return [this, action] {
      action();
      Refresh();
    };
  };
  connect(up_, &QPushButton::clicked, this, after([this] { page_.StepUp(); }));
  connect(down_, &QPushButton::clicked, this, after([this] { page_.StepDown(); }));
  connect(undo_, &QPushButton::clicked, this, after([this] { page_.Undo(); }));
  connect(axis_, &QPushButton::clicked, this, after([this] { page_.ChangeAxis(); }));
  connect(grid_, &MapGridView::EnterPressed, this, after([this] { page_.Enter(); }));
  connect(grid_, &MapGridView::CopyRequested, this, [this] { Copy(); });
  connect(grid_, &MapGridView::PasteRequested, this, after([this] { Paste(); }));
  connect(grid_, &MapGridView::StepRequested, this, [this](int delta) {
    if (delta > 0) {
      page_.StepUp();
    } else {
      page_.StepDown();
    }
    Refresh();
  });
  connect(sim_, &QCheckBox::clicked, this, [this](bool checked) {
    page_.SimplifiedClick(checked);
    Refresh();
  });
  connect(sel_page_0_, &QComboBox::activated, this, [this](int i) { page_.SelPage0Click(i); });
  connect(sel_page_1_, &QComboBox::activated, this, [this](int i) { page_.SelPage1Click(i); });
  for (int p = 0; p < maps::param::kCount; ++p) {
    connect(params_[static_cast<std::size_t>(p)], &QComboBox::activated, this, [this, p](int i) {
      page_.ParamClick(p, i);
      Refresh();
    });
  }
}

void FrmMatrixPage::CaricaLingua() {
  if (lingue_ != nullptr) {
    page_.CaricaLingua(*lingue_);
  }
  ShowTexts();
  Refresh();
}

void FrmMatrixPage::ShowTexts() {
  const maps::MatrixTexts& t = page_.Texts();
  const int map = page_.MapIndex();
  shown_map_ = map;
  title_->setText(Q(t.caption) + QStringLiteral(" - ") +
                  Q(t.map_names[static_cast<std::size_t>(map)]));
  setWindowTitle(title_->text());
  selection_title_->setText(Q(t.map_selection));
  {
    const QSignalBlocker b0(sel_page_0_);
    const QSignalBlocker b1(sel_page_1_);
    sel_page_0_->clear();
    sel_page_1_->clear();
    for (int i = 0; i < 3; ++i) {
      sel_page_0_->addItem(Q(t.map_entries[static_cast<std::size_t>(i)]));
      if (i < 2) {
        sel_page_1_->addItem(Q(t.map_entries[static_cast<std::size_t>(i)]));
      }
    }
  }
  sim_->setText(Q(t.simplified));
  row_title_->setText(QStringLiteral("\u2193 ") +
                      Q(map == maps::map_info::kPressureMap ? t.pressure_title : t.time_title));
  col_title_->setText(Q(t.rpm_title) + QStringLiteral(" \u2192"));
  point_title_->setText(Q(t.working_point));
  up_->setText(QStringLiteral("+  ") + Q(t.up));
  down_->setText(QStringLiteral("\u2212  ") + Q(t.down));
  undo_->setText(Q(t.undo));
  axis_->setText(Q(t.change_axis));
  for (int i = 0; i < maps::param::kCount; ++i) {
    param_labels_[static_cast<std::size_t>(i)]->setText(Q(t.params[static_cast<std::size_t>(i)]));
  }
  notice_->setText(Q(t.notice));
  notice_->setVisible(!t.notice.empty());
}

void FrmMatrixPage::FillParamBoxes() {
  const auto& c = page_.Controls();
  for (int i = 0; i < maps::param::kCount; ++i) {
    ShowCombo(params_[static_cast<std::size_t>(i)], c.params[static_cast<std::size_t>(i)]);
  }
}

void FrmMatrixPage::Refresh() {
  const maps::PageControls& c = page_.Controls();
  grid_->Refresh();
  grid_->SetWorkingPoint(c.working_point_shown, c.working_point);
  heat_->SetMap(page_.MapBytes());
  heat_->SetWorkingPoint(c.working_point_shown, c.working_point.row - 1, c.working_point.col - 1);
  marker_->setText(c.working_point_shown ? QString::fromStdString(c.marker_text) : QString());
  up_->setEnabled(page_.StepsEnabled());
  down_->setEnabled(page_.StepsEnabled());
  undo_->setEnabled(c.undo_enabled);
  {
    const QSignalBlocker b(sim_);
    sim_->setChecked(c.simplified_checked);
  }
  {
    const QSignalBlocker b0(sel_page_0_);
    const QSignalBlocker b1(sel_page_1_);
    sel_page_0_->setCurrentIndex(c.sel_page_0);
    sel_page_1_->setCurrentIndex(c.sel_page_1);
  }
  FillParamBoxes();
  if (shown_map_ != page_.MapIndex()) {
    ShowTexts();  // the page now shows another map
    Refresh();
    return;
  }
  switch (page_.TakeFocusReturn()) {
    case maps::Button::kUp:
      Focus(up_);
      break;
    case maps::Button::kDown:
      Focus(down_);
      break;
    case maps::Button::kUndo:
      Focus(undo_);
      break;
    case maps::Button::kNone:
      break;
  }
}

void FrmMatrixPage::Copy() {
  if (clipboard_.set) {
    clipboard_.set(page_.Copy());
  } else {
    QApplication::clipboard()->setText(QString::fromStdString(page_.Copy()));
  }
}

void FrmMatrixPage::Paste() {
  page_.Paste(clipboard_.get ? clipboard_.get() : QApplication::clipboard()->text().toStdString());
}

}  // namespace velmora::ui
