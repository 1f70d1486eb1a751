#include "ui/frm_init_obd.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::ui {

FrmInitObd::FrmInitObd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      text_(new QLabel),
      protocol_(new QLabel),
      cancel_(new QPushButton) {
  setObjectName("FrmInitObd");
  cancel_->setObjectName("CmdAnnulla");
  protocol_->setAlignment(Qt::AlignCenter);
  QFont bold = protocol_->font();
  bold.setBold(true);
  protocol_->setFont(bold);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(protocol_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (on_cancel_) {
      on_cancel_();
    }
    hide();
  });
}

void FrmInitObd::SetTexts(const QString& title, const QString& text, const QString& cancel) {
  setWindowTitle(title);
  text_->setText(text);
  cancel_->setText(cancel);
}

void FrmInitObd::ShowProtocol(const QString& protocol) {
  protocol_->setText(protocol);
}

void FrmInitObd::closeEvent(QCloseEvent* event) {
  event->ignore();
}

void FrmInitObd::reject() {
  // Escape does not close it either: the link is still starting.
}

}  // namespace velmora::ui
