#include "ui/page_navigator.h"

#include <QAction>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "ui/card_painter.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kNavWidth = 210;

QString NavStyle() {
  return QStringLiteral(
             "QListWidget { background: %1; color: %2; border: none; outline: none;"
             " padding-top: 12px; }"
             "QListWidget::item { padding: 10px 18px; border-left: 3px solid transparent; }"
             "QListWidget::item:selected { background: %3; color: white;"
             " border-left: 3px solid %4; }"
             "QListWidget::item:hover:!selected { background: %5; }")
      .arg(Colour(palette::kLogoDeep).name(), Colour(palette::kAccentSoft).name(),
           Colour(palette::kAccent).name(), Colour(palette::kAccentSoft).name(),
           Colour(palette::kLogoDeep).lighter(130).name());
}

}  // namespace

PageNavigator::PageNavigator(std::span<const WorkstationPage> table,
                             std::function<void(int)> select)
    : table_(table),
      select_(std::move(select)),
      registry_(pages::InfosOf(table)),
      views_(registry_.Size()),
      centre_(new QWidget),
      nav_(new QListWidget),
      stack_(new QStackedWidget) {
  auto* row = new QHBoxLayout(centre_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  nav_->setObjectName("LstPagine");
  nav_->setFixedWidth(kNavWidth);
  nav_->setStyleSheet(NavStyle());
  nav_->setFont(ScaledFont(*nav_, 1.1));
  for (std::size_t i = 0; i < registry_.RowCount(); ++i) {
    nav_->addItem(QString());
  }
  row->addWidget(nav_);
  row->addWidget(stack_, 1);
  QObject::connect(nav_, &QListWidget::currentRowChanged, &context_, [this](int r) {
    if (r >= 0) {
      select_(registry_.RowOpens(static_cast<std::size_t>(r)));
    }
  });
}

PageNavigator::~PageNavigator() {
  // The views go while the models they show still exist.
  for (PageView& view : views_) {
    delete view.widget;
  }
  if (centre_->parent() == nullptr) {
    delete centre_;
  }
}

QWidget* PageNavigator::TakeWidget() {
  return centre_;
}

void PageNavigator::FillMenu(QMenu& menu) {
  for (std::size_t row = 0; row < registry_.RowCount(); ++row) {
    QAction* action = menu.addAction(QString());
    QObject::connect(action, &QAction::triggered, &context_,
                     [this, row] { select_(registry_.RowOpens(row)); });
    action->setShortcut(
        QKeySequence(Q(registry_.RowInfo(row).shortcut), QKeySequence::PortableText));
    actions_.push_back(action);
  }
}

void PageNavigator::MakePages(PageEnv env, const ViewEnv& views, WindowRegistry& windows) {
  for (PageView& view : views_) {
    delete view.widget;
    view = {};
  }
  registry_.MakeModels(table_, env);
  for (std::size_t i = 0; i < table_.size(); ++i) {
    const WorkstationPage& line = table_[i];
    pages::PageModel* model = registry_.Model(line.info.code);
    if (!pages::FirstOfCode(table_, i) || model == nullptr || line.view == nullptr) {
      continue;
    }
    PageView& view = views_[static_cast<std::size_t>(registry_.IndexOf(line.info.code))];
    view = line.view(views, *model);
    if (view.widget != nullptr) {
      stack_->addWidget(view.widget);
      if (auto* captioned = dynamic_cast<Captioned*>(view.widget)) {
        windows.Add(view.widget, captioned);
      }
    }
  }
}

void PageNavigator::CaricaLingua(const core::ClsLingue& lingue) {
  for (std::size_t row = 0; row < registry_.RowCount(); ++row) {
    const QString text = Q(pages::TextOf(registry_.RowInfo(row).nav, lingue));
    nav_->item(static_cast<int>(row))->setText(text);
    if (row < actions_.size()) {
      actions_[row]->setText(text);
    }
  }
}

QWidget* PageNavigator::Widget(int code) const {
  const int i = registry_.IndexOf(code);
  return i < 0 ? nullptr : views_[static_cast<std::size_t>(i)].widget;
}

bool PageNavigator::Show(int code) {
  QWidget* page = Widget(code);
  if (page == nullptr) {
    return false;
  }
  registry_.Shown(code);
  Refresh(code);
  stack_->setCurrentWidget(page);
  if (const int row = registry_.RowOf(code); row >= 0 && nav_->currentRow() != row) {
    const QSignalBlocker quiet(nav_);
    nav_->setCurrentRow(row);
  }
  return true;
}

void PageNavigator::Refresh(int code) {
  const int i = registry_.IndexOf(code);
  const pages::PageModel* model = registry_.Model(code);
  if (i < 0 || model == nullptr) {
    return;
  }
  PageView& view = views_[static_cast<std::size_t>(i)];
  if (view.widget == nullptr) {
    return;
  }
  view.widget->setEnabled(model->Enabled());
  if (view.refresh) {
    view.refresh();
  }
}

void PageNavigator::RefreshAll() {
  for (std::size_t i = 0; i < registry_.Size(); ++i) {
    Refresh(registry_.Info(i).code);
  }
}

void PageNavigator::LiveTick(int code) {
  if (registry_.LiveTick(code)) {
    Refresh(code);
  }
}

void PageNavigator::RefreshPage(int code) {
  if (registry_.Refresh(code)) {
    Refresh(code);
  }
}

void PageNavigator::SetEnabled(bool enable) {
  registry_.SetEnabled(enable);
  RefreshAll();
}

void PageNavigator::CalibrationRead() {
  registry_.CalibrationRead();
  RefreshAll();
}

void PageNavigator::MapWritten(int map, bool ok) {
  registry_.MapWritten(map, ok);
  RefreshAll();
}

}  // namespace velmora::ui
