#include "ui/connection_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/shell_texts.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/frm_kvx_connected.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kCardWidth = 380;
constexpr const char* kDash = "-";

QString OrDash(const std::string& s) {
  return s.empty() ? QString::fromUtf8(kDash) : QString::fromUtf8(s.c_str());
}

QLabel* Caption(QWidget& owner) {
  auto* l = new QLabel;
  SetTextColour(*l, palette::kTextMuted);
  l->setFont(ScaledFont(owner, 0.95));
  return l;
}

QLabel* Value(QWidget& owner, const char* name) {
  auto* l = new QLabel(QString::fromUtf8(kDash));
  l->setObjectName(name);
  SetTextColour(*l, palette::kText);
  l->setFont(ScaledFont(owner, 1.0, true));
  l->setWordWrap(true);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

ConnectionPage::ConnectionPage(const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      lingue_(lingue),
      link_(new FrmKvxConnected(lingue)),
      card_(new CardFrame),
      identification_caption_(Caption(*this)),
      version_caption_(Caption(*this)),
      hardware_caption_(Caption(*this)),
      port_caption_(Caption(*this)),
      switch_over_caption_(Caption(*this)),
      identification_(Value(*this, "LblIdentificazione")),
      version_(Value(*this, "LblVersioneEcu")),
      hardware_(Value(*this, "LblHardware")),
      port_(Value(*this, "LblPortaEcu")),
      switch_over_(Value(*this, "LblTempCommutazione")),
      change_(new QPushButton) {
  setObjectName("PagConnessione");
  UseWindowBackground(*this);

  card_->setObjectName("CardEcu");
  card_->setFixedWidth(kCardWidth);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(spacing::kGap);
  grid->setVerticalSpacing(spacing::kGap);
  grid->setColumnStretch(1, 1);
  int row = 0;
  for (auto [caption, value] :
       {std::pair{identification_caption_, identification_}, std::pair{version_caption_, version_},
        std::pair{hardware_caption_, hardware_}, std::pair{port_caption_, port_}}) {
    grid->addWidget(caption, row, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(value, row, 1, 1, 2);
    ++row;
  }
  change_->setObjectName("CmdTempCommutazione");
  grid->addWidget(switch_over_caption_, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
  grid->addWidget(switch_over_, row, 1, Qt::AlignVCenter);
  grid->addWidget(change_, row, 2, Qt::AlignRight | Qt::AlignVCenter);
  card_->Body()->addSpacing(spacing::kGap / 2);
  card_->Body()->addLayout(grid);
  card_->Body()->addStretch(1);

  link_card_ = link_->findChild<CardFrame*>();
  if (link_card_ != nullptr) {
    link_->setFixedWidth(link_card_->minimumWidth() + 2 * spacing::kPage);
  }
  // The same margins as the link page's own layout.
  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, spacing::kPage, 0, spacing::kPage);
  right->addStretch(1);
  right->addWidget(card_);
  right->addStretch(2);
  auto* row_layout = new QHBoxLayout(this);
  row_layout->setContentsMargins(0, 0, spacing::kPage, 0);
  row_layout->setSpacing(0);
  row_layout->addStretch(1);
  row_layout->addWidget(link_);
  row_layout->addLayout(right);
  row_layout->addStretch(1);

  connect(change_, &QPushButton::clicked, this, [this] {
    if (on_change_) {
      on_change_();
    }
  });
  SetSwitchOverEnabled(false);
  CaricaLingua();
}

QString ConnectionPage::Text(int k, const char* fallback) const {
  return QString::fromStdString(texts_.Text(k, fallback));
}

void ConnectionPage::CaricaLingua() {
  namespace m = pages::main_text;
  texts_ = lingue_ != nullptr ? core::TextBlock(*lingue_, m::kMarker) : core::TextBlock();
  link_->CaricaLingua();
  // The menu's text carries its keyboard mnemonic; a card title does not.
  card_->SetTitle(Text(m::kEcuMenu, "ECU").remove(QLatin1Char('&')));
  identification_caption_->setText(Text(m::kIdentification, "Identification"));
  version_caption_->setText(Text(m::kVersion, "Version"));
  hardware_caption_->setText(Text(m::kHardware, "Hardware"));
  port_caption_->setText(Text(m::kPort, "Port"));
  switch_over_caption_->setText(Text(m::kSwitchOver, "Switch-over temperature"));
  change_->setText(Text(m::kChange, "Change..."));
  SyncHeights();
}

void ConnectionPage::SyncHeights() {
  // Both cards sit on one line: the link page centres its card with the
  // same stretches as this column, so equal heights give equal tops.
  if (link_card_ == nullptr) {
    return;
  }
  const int w = link_card_->width() > 0 ? link_card_->width() : link_card_->minimumWidth();
  const int h = link_card_->hasHeightForWidth() ? link_card_->heightForWidth(w)
                                                : link_card_->sizeHint().height();
  if (h > 0 && card_->height() != h) {
    card_->setFixedHeight(h);
  }
}

void ConnectionPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  SyncHeights();
}

void ConnectionPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SyncHeights();
}

void ConnectionPage::ShowEcu(const pages::EcuSummary& s) {
  identification_->setText(OrDash(s.identification));
  version_->setText(OrDash(s.version));
  hardware_->setText(OrDash(s.hardware));
  port_->setText(s.port >= 0 ? QStringLiteral("COM%1").arg(s.port) : QString::fromUtf8(kDash));
  switch_over_->setText(s.switch_over_c ? QStringLiteral("%1 \u00B0C").arg(*s.switch_over_c)
                                        : QString::fromUtf8(kDash));
}

void ConnectionPage::SetSwitchOverEnabled(bool enabled) {
  change_->setEnabled(enabled);
}

}  // namespace velmora::ui
