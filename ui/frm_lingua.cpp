#include "ui/frm_lingua.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/language_choice.h"
#include "core/version.h"
#include "ui/language_font.h"

namespace velmora::ui {

FrmLingua::FrmLingua(const core::ClsLingue& lingue, QWidget* parent)
    : QDialog(parent), group_(new QButtonGroup(this)) {
  setObjectName("FrmLingua");
  // No language is chosen yet, so nothing can come from the dictionary here
  // but the languages' own names.
  setWindowTitle(QString::fromUtf8(core::kProductTitle));
  auto* layout = new QVBoxLayout(this);
  auto* heading =
      new QLabel(QStringLiteral("Language  \u00b7  Lingua  \u00b7  Sprache  \u00b7  Langue"));
  heading->setAlignment(Qt::AlignCenter);
  QFont hf = heading->font();
  hf.setPointSizeF(hf.pointSizeF() * 1.3);
  heading->setFont(hf);
  layout->addWidget(heading);

  auto* grid = new QGridLayout;
  const auto options = core::LanguageOptions(lingue);
  const int columns = core::LanguageGridColumns(static_cast<int>(options.size()));
  for (const auto& opt : options) {
    auto* button = new QRadioButton(QString::fromUtf8(opt.caption.c_str()));
    button->setObjectName(QStringLiteral("OptLingua%1").arg(opt.index));
    button->setMinimumHeight(32);
    group_->addButton(button, opt.index);
    const auto cell = core::LanguageGridCell(opt.index, columns);
    grid->addWidget(button, cell.row, cell.column);
  }
  layout->addLayout(grid);
  connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
    chosen_ = id;
    accept();
  });
  ApplyLanguageFont(this, 1);
  setMinimumWidth(360);
}

}  // namespace velmora::ui
