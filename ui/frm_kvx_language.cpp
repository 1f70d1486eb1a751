#include "ui/frm_kvx_language.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/language_choice.h"

namespace velmora::ui {

FrmKvxLanguage::FrmKvxLanguage(core::ClsLingue& lingue, std::string title,
                               std::function<void()> recaption, QWidget* parent)
    : QWidget(parent),
      lingue_(lingue),
      title_(std::move(title)),
      recaption_(std::move(recaption)),
      group_(new QButtonGroup(this)),
      grid_(new QGridLayout) {
  setObjectName("FRM_KVXLanguage");
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(grid_);
  outer->addStretch(1);
  group_->setExclusive(true);
  connect(group_, &QButtonGroup::idClicked, this, [this](int id) { Choose(id); });
  Populate();
}

void FrmKvxLanguage::Populate() {
  const auto options = core::LanguageOptions(lingue_);
  const int columns = core::LanguageGridColumns(static_cast<int>(options.size()));
  for (const auto& opt : options) {
    auto* button = new QPushButton(QString::fromUtf8(opt.caption.c_str()));
    button->setObjectName(QStringLiteral("CmdLingua%1").arg(opt.index));
    button->setCheckable(true);
    button->setChecked(opt.index == lingue_.IdLingua());
    button->setMinimumSize(140, 40);
    group_->addButton(button, opt.index);
    const auto cell = core::LanguageGridCell(opt.index, columns);
    grid_->addWidget(button, cell.row, cell.column);
  }
}

void FrmKvxLanguage::Choose(int index) {
  if (index < 0 || index > lingue_.UboundLingue()) {
    return;
  }
  core::ChooseLanguage(lingue_, static_cast<std::int16_t>(index), title_);
  if (auto* b = group_->button(index)) {
    b->setChecked(true);
  }
  if (recaption_) {
    recaption_();
  }
}

}  // namespace velmora::ui
