#include "ui/map_control_strip.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/map_grid_view.h"
#include "ui/qt_text.h"

namespace velmora::ui {

namespace {

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
    for (const std::string& item : state.items) {
      box->addItem(Q(item));
    }
  }
  box->setCurrentIndex(state.index < box->count() ? state.index : -1);
}

void Focus(QPushButton* button) {
  if (button->isEnabled()) {
    button->setFocus(Qt::OtherFocusReason);
  }
}

}  // namespace

MapControlStrip::MapControlStrip(maps::MapPage& page, QWidget* owner, int param_count,
                                 StepCaptions captions)
    : QObject(nullptr),
      page_(page),
      param_count_(std::clamp(param_count, 0, maps::param::kCount)),
      captions_(captions),
      selection_label_(new QLabel(owner)),
      sel_page_0_(new QComboBox(owner)),
      sel_page_1_(new QComboBox(owner)),
      simplified_(new QCheckBox(owner)),
      up_(new QPushButton(owner)),
      down_(new QPushButton(owner)),
      undo_(new QPushButton(owner)),
      axis_(new QPushButton(owner)) {
  for (int i = 0; i < param_count_; ++i) {
    param_labels_[static_cast<std::size_t>(i)] = new QLabel(owner);
    params_[static_cast<std::size_t>(i)] = new QComboBox(owner);
  }
  Connect();
}

QComboBox* MapControlStrip::Param(int which) const {
  return which >= 0 && which < param_count_ ? params_[static_cast<std::size_t>(which)] : nullptr;
}

QLabel* MapControlStrip::ParamLabel(int which) const {
  return which >= 0 && which < param_count_ ? param_labels_[static_cast<std::size_t>(which)]
                                            : nullptr;
}

void MapControlStrip::Act(const std::function<void()>& action) {
  action();
  emit Acted();
}

void MapControlStrip::Connect() {
  // clicked and activated come from the user only; Refresh sets the boxes
  // with their signals blocked as well.
  connect(up_, &QPushButton::clicked, this, [this] { Act([this] { page_.StepUp(); }); });
  connect(down_, &QPushButton::clicked, this, [this] { Act([this] { page_.StepDown(); }); });
  connect(undo_, &QPushButton::clicked, this, [this] { Act([this] { page_.Undo(); }); });
  connect(axis_, &QPushButton::clicked, this, [this] { Act([this] { page_.ChangeAxis(); }); });
  connect(simplified_, &QCheckBox::clicked, this,
          [this](bool checked) { Act([this, checked] { page_.SimplifiedClick(checked); }); });
  connect(sel_page_0_, &QComboBox::activated, this,
          [this](int i) { Act([this, i] { page_.SelPage0Click(i); }); });
  connect(sel_page_1_, &QComboBox::activated, this,
          [this](int i) { Act([this, i] { page_.SelPage1Click(i); }); });
  for (int p = 0; p < param_count_; ++p) {
    connect(params_[static_cast<std::size_t>(p)], &QComboBox::activated, this,
            [this, p](int i) { Act([this, p, i] { page_.ParamClick(p, i); }); });
  }
}

void MapControlStrip::Attach(MapGridView* grid) {
  connect(grid, &MapGridView::EnterPressed, this, [this] { Act([this] { page_.Enter(); }); });
  connect(grid, &MapGridView::StepRequested, this, [this](int delta) {
    Act([this, delta] { static_cast<void>(delta > 0 ? page_.StepUp() : page_.StepDown()); });
  });
  connect(grid, &MapGridView::CopyRequested, this, [this] { Copy(); });
  connect(grid, &MapGridView::PasteRequested, this, [this] { Act([this] { Paste(); }); });
}

void MapControlStrip::ShowTexts() {
  const maps::MatrixTexts& t = page_.Texts();
  selection_label_->setText(Q(t.map_selection));
  {
    const QSignalBlocker b0(sel_page_0_);
    const QSignalBlocker b1(sel_page_1_);
    sel_page_0_->clear();
    sel_page_1_->clear();
    for (std::size_t i = 0; i < t.map_entries.size(); ++i) {
      sel_page_0_->addItem(Q(t.map_entries[i]));
      if (static_cast<int>(i) < maps::map_info::kSelPage1Entries) {
        sel_page_1_->addItem(Q(t.map_entries[i]));
      }
    }
  }
  simplified_->setText(Q(t.simplified));
  if (captions_ == StepCaptions::kWords) {
    up_->setText(QStringLiteral("+  ") + Q(t.up));
    down_->setText(QStringLiteral("\u2212  ") + Q(t.down));
  } else {
    up_->setText(QStringLiteral("+"));
    up_->setToolTip(Q(t.up));
    down_->setText(QStringLiteral("-"));
    down_->setToolTip(Q(t.down));
  }
  undo_->setText(Q(t.undo));
  axis_->setText(Q(t.change_axis));
  for (int i = 0; i < param_count_; ++i) {
    param_labels_[static_cast<std::size_t>(i)]->setText(Q(t.params[static_cast<std::size_t>(i)]));
  }
}

void MapControlStrip::Refresh() {
  const maps::PageControls& c = page_.Controls();
  up_->setEnabled(page_.StepsEnabled());
  down_->setEnabled(page_.StepsEnabled());
  undo_->setEnabled(c.undo_enabled);
  {
    const QSignalBlocker b(simplified_);
    simplified_->setChecked(c.simplified_checked);
  }
  {
    const QSignalBlocker b0(sel_page_0_);
    const QSignalBlocker b1(sel_page_1_);
    sel_page_0_->setCurrentIndex(c.sel_page_0);
    sel_page_1_->setCurrentIndex(c.sel_page_1);
  }
  for (int i = 0; i < param_count_; ++i) {
    ShowCombo(params_[static_cast<std::size_t>(i)], c.params[static_cast<std::size_t>(i)]);
  }
  GiveFocusBack();
}

void MapControlStrip::GiveFocusBack() {
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

void MapControlStrip::Copy() {
  const std::string text = page_.Copy();
  if (clipboard_.set) {
    clipboard_.set(text);
  } else if (QClipboard* clip = QApplication::clipboard()) {
    clip->clear();
    clip->setText(Q(text));
  }
}

void MapControlStrip::Paste() {
  if (clipboard_.get) {
    page_.Paste(clipboard_.get());
  } else if (QClipboard* clip = QApplication::clipboard()) {
    page_.Paste(clip->text().toStdString());
  }
}

}  // namespace velmora::ui
