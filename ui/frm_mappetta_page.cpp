#include "ui/frm_mappetta_page.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/card_frame.h"
#include "ui/map_grid_view.h"
#include "ui/obd_live_card.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace ot = diag::obd_text;
namespace om = diag::obd_map;

constexpr int kCellWidth = 54;
constexpr int kCellHeight = 24;
constexpr int kLimitWidth = 56;
constexpr int kMaxLimit = 255;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QPushButton* NewButton(const char* name) {
  auto* b = new QPushButton;
  b->setObjectName(name);
  return b;
}

}  // namespace

FrmMappettaPage::FrmMappettaPage(diag::FrmMappetta& page, QWidget* parent)
    : QWidget(parent),
      page_(page),
      caption_(new QLabel),
      axes_(new QLabel),
      open_(NewButton("CmdMappaOpen")),
      reset_(NewButton("CmdMappaReset")),
      save_(NewButton("CmdMappaSave")),
      copy_(NewButton("CmdClipMatrix")),
      grid_(new MapGridView(page.Grid())),
      limits_card_(new CardFrame),
      write_limits_(NewButton("CHK_Jumper")),
      agent_title_(new QLabel),
      agent_(new QComboBox),
      notice_(new QLabel),
      live_card_(new ObdLiveCard) {
  setObjectName("FrmMappetta");
  grid_->setObjectName("GrdMappetta");
  agent_->setObjectName("CMB_AgenteCorrExp");
  for (int r = 0; r < om::kRows; ++r) {
    auto* box = new QLineEdit;
    box->setObjectName(QStringLiteral("TXT_Jumper%1").arg(r));
    box->setFixedWidth(kLimitWidth);
    box->setAlignment(Qt::AlignRight);
    box->setValidator(new QIntValidator(0, kMaxLimit, box));
    limits_[static_cast<std::size_t>(r)] = box;
    limit_titles_[static_cast<std::size_t>(r)] =
        new QLabel(QString::number(r * om::kRowRpm) + QStringLiteral(" rpm"));
  }
  LayOut();
  Connect();
  CaricaLingua();
}

void FrmMappettaPage::LayOut() {
  QFont big = caption_->font();
  big.setPointSize(big.pointSize() + 3);
  big.setBold(true);
  caption_->setFont(big);
  axes_->setStyleSheet(QStringLiteral("color: #66788A;"));
  notice_->setWordWrap(true);
  notice_->setStyleSheet(QStringLiteral("color: #C9403A;"));
  grid_->setMinimumSize((om::kCols + 1) * kCellWidth, (om::kRows + 1) * kCellHeight);

  auto* limits = new QGridLayout;
  limits->setVerticalSpacing(2);
  for (int r = 0; r < om::kRows; ++r) {
    limits->addWidget(limit_titles_[static_cast<std::size_t>(r)], r, 0);
    limits->addWidget(limits_[static_cast<std::size_t>(r)], r, 1);
  }
  limits_card_->Body()->addLayout(limits);
  limits_card_->Body()->addWidget(write_limits_);
  limits_card_->Body()->addWidget(agent_title_);
  limits_card_->Body()->addWidget(agent_);
  limits_card_->Body()->addWidget(notice_);
  limits_card_->Body()->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addWidget(caption_);
  top->addStretch(1);
  for (QPushButton* b : {open_, reset_, save_, copy_}) {
    top->addWidget(b);
  }
  auto* left = new QVBoxLayout;
  left->addWidget(axes_);
  left->addWidget(grid_, 1);
  auto* body = new QHBoxLayout;
  body->setSpacing(spacing::kGap);
  body->addLayout(left, 1);
  body->addWidget(limits_card_);
  body->addWidget(live_card_);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->setSpacing(spacing::kGap);
  page->addLayout(top);
  page->addLayout(body, 1);
}

void FrmMappettaPage::Connect() {
  for (int r = 0; r < om::kRows; ++r) {
    connect(limits_[static_cast<std::size_t>(r)], &QLineEdit::textEdited, this,
            [this, r](const QString& text) { page_.SetLimitText(r, text.toStdString()); });
  }
  connect(write_limits_, &QPushButton::clicked, this, [this] { page_.WriteLimits(); });
  connect(agent_, &QComboBox::activated, this, [this](int index) { page_.ChooseAgent(index); });
  connect(open_, &QPushButton::clicked, this, [this] { page_.OpenMap(); });
  connect(reset_, &QPushButton::clicked, this, [this] { page_.ResetMap(); });
  connect(save_, &QPushButton::clicked, this, [this] { page_.SaveMap(); });
  const auto copy = [this] { QApplication::clipboard()->setText(Q(page_.CopyText())); };
  connect(copy_, &QPushButton::clicked, this, copy);
  connect(grid_, &MapGridView::CopyRequested, this, copy);
}

void FrmMappettaPage::CaricaLingua() {
  page_.CaricaLingua();
  const diag::ObdTexts& t = page_.Texts();
  open_->setText(Q(t.obd[ot::kOpenMap]));
  reset_->setText(Q(t.obd[ot::kResetMap]));
  save_->setText(Q(t.obd[ot::kSaveMap]));
  copy_->setText(Q(t.obd[ot::kCopy]));
  axes_->setText(QStringLiteral("\u2193 ") + Q(t.obd[ot::kRowsTitle]) +
                 QStringLiteral("    \u2192 ") + Q(t.obd[ot::kColumnsTitle]));
  limits_card_->SetTitle(Q(t.obd[ot::kRowLimits]));
  write_limits_->setText(Q(t.obd[ot::kWriteLimits]));
  agent_title_->setText(Q(t.obd[ot::kAgent]));
  {
    const QSignalBlocker quiet(agent_);
    agent_->clear();
    for (const std::string& item : page_.AgentItems()) {
      agent_->addItem(Q(item));
    }
  }
  live_card_->SetTexts(t);
  Refresh();
}

void FrmMappettaPage::Refresh() {
  caption_->setText(Q(page_.Caption()));
  setWindowTitle(caption_->text());
  const auto& cell = page_.Cell();
  grid_->SetWorkingPoint(cell.has_value(),
                         cell ? maps::CellPos{cell->row + 1, cell->col + 1} : maps::CellPos{});
  grid_->Refresh();
  for (int r = 0; r < om::kRows; ++r) {
    QLineEdit* box = limits_[static_cast<std::size_t>(r)];
    const QString text = Q(page_.Limits()[static_cast<std::size_t>(r)]);
    if (box->text() != text && !box->hasFocus()) {
      box->setText(text);
    }
  }
  {
    const QSignalBlocker quiet(agent_);
    agent_->setCurrentIndex(page_.AgentChoice());
  }
  notice_->setText(Q(page_.Notice()));
  notice_->setVisible(!page_.Notice().empty());
  live_card_->Show(page_.Live(), page_.Texts());
}

}  // namespace velmora::ui
