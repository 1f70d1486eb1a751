#include "ui/frm_kvx_language.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/language_choice.h"
#include "core/text_block.h"
#include "pages/shell_texts.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
constexpr int kCardWidth = 640;
}  // namespace

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

LanguagePage::LanguagePage(core::ClsLingue& lingue, std::string title,
                           std::function<void()> recaption, QWidget* parent)
    : QWidget(parent),
      lingue_(lingue),
      label_(new QLabel),
      buttons_(new FrmKvxLanguage(lingue, std::move(title), std::move(recaption))) {
  setObjectName("PagLingua");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  layout->setSpacing(spacing::kGap);
  label_->setObjectName("LblLingua");
  label_->setFont(ScaledFont(*label_, 1.2, true));
  auto* card = new CardFrame;
  card->setMaximumWidth(kCardWidth);
  card->Body()->addWidget(buttons_);
  layout->addWidget(label_);
  layout->addWidget(card);
  layout->addStretch(1);
  CaricaLingua();
}

void LanguagePage::CaricaLingua() {
  namespace g = pages::generale_window_text;
  const std::string label =
      core::TextBlock(lingue_, g::kMarker).Text(g::kLanguageLabel, "Language");
  label_->setText(QString::fromStdString(label + ": " + lingue_.NomeLingua(lingue_.IdLingua())));
}

}  // namespace velmora::ui
