#include "ui/frm_kvx_connected.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/session_flags.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/connection_icon.h"
#include "ui/generale_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
constexpr int kPictureSide = 128;
constexpr int kSelectorWidth = 220;
constexpr int kCardWidth = 440;
}  // namespace

FrmKvxConnected::FrmKvxConnected(const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      lingue_(lingue),
      heading_(new QLabel),
      picture_(new ConnectionIcon),
      action_(new QLabel),
      selector_(new QComboBox) {
  setObjectName("FRM_KVXConnected");
  UseWindowBackground(*this);

  heading_->setObjectName("LblStato");
  heading_->setAlignment(Qt::AlignCenter);
  heading_->setWordWrap(true);
  heading_->setFont(ScaledFont(*this, 1.35, true));
  picture_->setObjectName("IMG");
  picture_->setFixedSize(kPictureSide, kPictureSide);
  action_->setObjectName("LblAzione");
  action_->setAlignment(Qt::AlignCenter);
  action_->setFont(ScaledFont(*this, 1.05, true));
  selector_->setObjectName("CMB_Seriali");
  selector_->setMinimumWidth(kSelectorWidth);

  auto* card = new CardFrame;
  card->setFixedWidth(kCardWidth);
  QVBoxLayout* body = card->Body();
  body->setSpacing(spacing::kGap);
  body->addWidget(heading_);
  body->addSpacing(spacing::kGap);
  body->addWidget(picture_, 0, Qt::AlignHCenter);
  body->addWidget(action_);
  body->addSpacing(spacing::kGap);
  auto* port_row = new QHBoxLayout;
  port_row->addStretch(1);
  port_row->addWidget(selector_);
  port_row->addStretch(1);
  body->addLayout(port_row);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  outer->addStretch(1);
  outer->addWidget(card, 0, Qt::AlignHCenter);
  outer->addStretch(2);

  connect(selector_, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && on_port_chosen_) {
      on_port_chosen_(static_cast<std::size_t>(index));
    }
  });
  CaricaLingua();
}

void FrmKvxConnected::SetOnToggle(std::function<void()> handler) {
  picture_->SetOnClicked(std::move(handler));
}

QString FrmKvxConnected::Text(int k, const char* fallback) const {
  return QString::fromStdString(texts_.Text(k, fallback));
}

void FrmKvxConnected::CaricaLingua() {
  texts_ =
      lingue_ != nullptr ? core::TextBlock(*lingue_, generale_text::kMarker) : core::TextBlock();
  ShowState();
}

void FrmKvxConnected::ElencaPorte(const link::PortListing& listing) {
  listing_ = listing;
  selector_->clear();
  selector_->setPlaceholderText(QString::fromStdString(listing.selector.text));
  for (const auto& line : listing.selector.lines) {
    selector_->addItem(QString::fromStdString(line));
  }
  selector_->setCurrentIndex(-1);
}

void FrmKvxConnected::MostraPorta(int line) {
  selector_->setCurrentIndex(line >= 0 && line < selector_->count() ? line : -1);
}

void FrmKvxConnected::MostraPortaCom(int com) {
  if (const auto line = link::FindPort(listing_.ports, com)) {
    MostraPorta(static_cast<int>(*line));
  }
}

void FrmKvxConnected::AggiornaStato(int session_state, int frame) {
  state_ = session_state;
  picture_->SetPicture(ConnectionPictureFor(session_state, frame));
  ShowState();
}

void FrmKvxConnected::ShowState() {
  namespace s = core::session_state;
  namespace g = generale_text;
  QString heading;
  QRgb colour = palette::kText;
  bool disconnected = false;
  switch (state_) {
    case s::kSearching:
      heading = Text(g::kSearching, "ECU not connected - searching for the ECU...");
      colour = palette::kAccent;
      break;
    case s::kDisconnected:
    case s::kDisconnectedAlt:
      heading = Text(g::kLinkLost, "Connection to the ECU lost");
      colour = palette::kDanger;
      disconnected = true;
      break;
    case s::kBlankEcu:
      heading = Text(g::kBlankEcu, "Blank ECU: no valid firmware found");
      colour = palette::kWarning;
      break;
    default:
      heading = Text(g::kConnected, "ECU connected");
      colour = palette::kOk;
      break;
  }
  heading_->setText(heading);
  SetTextColour(*heading_, colour);
  const QString action =
      disconnected ? Text(g::kConnect, "Connect") : Text(g::kDisconnect, "Disconnect");
  action_->setText(action);
  picture_->setToolTip(action);
}

}  // namespace velmora::ui
