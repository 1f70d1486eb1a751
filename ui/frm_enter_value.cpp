#include "ui/frm_enter_value.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/version.h"
#include "ui/card_painter.h"
#include "ui/language_font.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kValueWidth = 160;
constexpr char32_t kFirstPrintable = 0x20;

bool IsEnter(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

FrmEnterValue::FrmEnterValue(platform::MessageBox& box, const core::ClsLingue* lingue,
                             std::string version_text, QWidget* parent)
    : QDialog(parent),
      box_(box),
      lingue_(lingue),
      version_text_(version_text.empty() ? core::VersionText() : std::move(version_text)),
      operation_box_(new QGroupBox),
      options_(new QButtonGroup(this)),
      value_label_(new QLabel),
      value_(new QLineEdit),
      limits_(new QLabel),
      hint_(new QLabel) {
  setObjectName("Frm_EnterValue");
  setModal(true);

  auto* option_row = new QHBoxLayout(operation_box_);
  for (int i = 0; i < pages::value_option::kCount; ++i) {
    auto* b = new QRadioButton;
    b->setObjectName(QStringLiteral("OptTipoOper%1").arg(i));
    b->installEventFilter(this);
    options_->addButton(b, i);
    option_buttons_[static_cast<std::size_t>(i)] = b;
    option_row->addWidget(b);
  }
  option_row->addStretch(1);

  value_->setObjectName("TxtValue");
  value_->setAlignment(Qt::AlignRight);
  value_->setFont(ScaledFont(*this, 1.3, true));
  value_->setMinimumWidth(kValueWidth);
  value_->installEventFilter(this);
  limits_->setObjectName("LblLimiti");
  hint_->setObjectName("LblAiuto");
  SetTextColour(*limits_, palette::kTextMuted);
  SetTextColour(*hint_, palette::kTextMuted);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  ok_->setObjectName("CmdOk");
  cancel_->setObjectName("CmdAnnulla");
  ok_->setDefault(true);

  auto* value_row = new QHBoxLayout;
  value_row->addWidget(value_label_);
  value_row->addWidget(value_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  layout->setSpacing(spacing::kGap);
  layout->addWidget(operation_box_);
  layout->addLayout(value_row);
  layout->addWidget(limits_, 0, Qt::AlignRight);
  layout->addWidget(hint_);
  layout->addWidget(buttons);

  connect(options_, &QButtonGroup::idClicked, this, [this](int id) {
    model_.SelectOption(id);
    ShowLimits();
  });
  connect(ok_, &QPushButton::clicked, this, [this] { (void)Confirm(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });

  // Window load: the starting text, "set" as the result, the first option.
  model_.Load();
  value_->setText(Q(model_.InitialText()));
  SelectOption(model_.Option());
  CaricaLingua();
}

QRadioButton* FrmEnterValue::Option(int option) const {
  if (option < 0 || option >= pages::value_option::kCount) {
    return nullptr;
  }
  return option_buttons_[static_cast<std::size_t>(option)];
}

void FrmEnterValue::CaricaLingua() {
  if (lingue_ != nullptr) {
    model_.SetTexts(pages::LoadEnterValueTexts(*lingue_, version_text_));
  } else {
    pages::EnterValueTexts texts;
    texts.caption += version_text_;
    model_.SetTexts(std::move(texts));
  }
  const auto& t = model_.Texts();
  setWindowTitle(Q(t.caption));
  operation_box_->setTitle(Q(t.operation));
  for (std::size_t i = 0; i < option_buttons_.size(); ++i) {
    option_buttons_[i]->setText(Q(t.options[i]));
  }
  value_label_->setText(Q(t.value));
  hint_->setText(Q(t.hint));
  if (lingue_ != nullptr) {
    ApplyLanguageFont(this, lingue_->CharsetLingua(lingue_->IdLingua()));
    value_->setFont(ScaledFont(*this, 1.3, true));
  }
}

void FrmEnterValue::SistemaSoglie(const pages::Limits& limits) {
  model_.SistemaSoglie(limits);
  SelectOption(model_.Option());
}

void FrmEnterValue::SistemaSoglie(double max_add, double min_add, double max_percent,
                                  double min_percent, double max_set, double min_set) {
  SistemaSoglie(pages::Limits{{max_add, min_add}, {max_percent, min_percent}, {max_set, min_set}});
}

void FrmEnterValue::SelectOption(int option) {
  model_.SelectOption(option);
  option_buttons_[static_cast<std::size_t>(model_.Option())]->setChecked(true);
  ShowLimits();
}

void FrmEnterValue::ShowLimits() {
  const pages::Limit l = model_.LimitOf(model_.Option());
  limits_->setText(Q(pages::FormatLimit(l.min)) + QStringLiteral(" \u2026 ") +
                   Q(pages::FormatLimit(l.max)));
}

void FrmEnterValue::SelectText() {
  value_->setFocus(Qt::OtherFocusReason);
  value_->selectAll();
}

void FrmEnterValue::Prepare() {
  model_.Rearm();
  value_->setText(Q(model_.InitialText()));
  SelectText();
}

pages::EnteredValue FrmEnterValue::Ask() {
  Prepare();
  exec();
  if (!model_.Done()) {
    model_.Cancel();
  }
  return model_.Result();
}

bool FrmEnterValue::Confirm() {
  model_.SelectOption(options_->checkedId());
  const pages::Verdict e = model_.Confirm(value_->text().toStdString());
  if (!e.accepted) {
    box_.Show(e.message, model_.Texts().caption, platform::BoxKind::Exclamation);
    SelectText();
    return false;
  }
  done(QDialog::Accepted);
  if (on_done_) {
    on_done_(model_.Result());
  }
  return true;
}

void FrmEnterValue::reject() {
  model_.Cancel();
  QDialog::reject();
  if (on_done_) {
    on_done_(model_.Result());
  }
}

void FrmEnterValue::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  SelectText();
}

bool FrmEnterValue::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == value_) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsEnter(key->key())) {
      (void)Confirm();
      return true;
    }
    // Typed characters other than the number's are dropped; editing and
    // moving keys, and shortcuts, still work.
    const QString text = key->text();
    if (!text.isEmpty() && !(key->modifiers() & Qt::ControlModifier)) {
      const char32_t c = text.toUcs4().value(0);
      if (c >= kFirstPrintable && !pages::FrmEnterValue::KeyAllowed(c)) {
        return true;
      }
    }
  }
  // Enter released on an option button validates as well.
  if (event->type() == QEvent::KeyRelease && watched != value_) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsEnter(key->key()) && !key->isAutoRepeat()) {
      (void)Confirm();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress && watched != value_) {
    // The press is left to the release, or the default button would act too.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsEnter(key->key())) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace velmora::ui
