#include "ui/frm_firmware_page.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "firmware/firmware_update.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace ft = firmware::firmware_text;

constexpr int kIndicatorSize = 14;
constexpr int kButtonWidth = 150;
constexpr const char* kImageFilter = "Firmware(*.frh *.FRH)";

QString Q(const std::string& s) {
  return QString::fromUtf8(s.c_str());
}

QLabel* Label(QWidget& owner, const char* name, QRgb colour, double scale = 1.0,
              bool bold = false) {
  auto* l = new QLabel;
  l->setObjectName(name);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, Colour(colour));
  l->setPalette(p);
  l->setFont(ScaledFont(owner, scale, bold));
  l->setWordWrap(true);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

QRgb VerdictColour(const firmware::FirmwareShown& s) {
  return s.can_update ? palette::kOk : palette::kDanger;
}

}  // namespace

FrmFirmwarePage::FrmFirmwarePage(firmware::FrmFirmware& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      title_(Label(*this, "LblTitolo", palette::kText, 1.4, true)),
      verdict_(Label(*this, "LblVerdetto", palette::kOk, 1.1, true)),
      select_(new QPushButton),
      ok_(new QPushButton),
      cancel_(new QPushButton) {
  setObjectName("FrmFirmware");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Colour(palette::kWindow));
  setPalette(pal);

  ecu_card_ = VersionCard(ecu_version_caption_, ecu_version_, ecu_text_caption_, ecu_text_);
  ecu_card_->setObjectName("CardEcu");
  image_card_ =
      VersionCard(image_version_caption_, image_version_, image_text_caption_, image_text_);
  image_card_->setObjectName("CardImage");
  image_path_caption_ = Label(*this, "LblFileCaption", palette::kTextMuted, 0.95);
  image_path_ = Label(*this, "LblFile", palette::kText, 0.95);
  image_note_ = Label(*this, "LblFileNote", palette::kWarning, 0.95, true);
  image_card_->Body()->addSpacing(spacing::kGap / 2);
  image_card_->Body()->addWidget(image_path_caption_);
  image_card_->Body()->addWidget(image_path_);
  image_card_->Body()->addWidget(image_note_);
  for (CardFrame* card : {ecu_card_, image_card_}) {
    card->Body()->addStretch(1);
  }

  auto* cards = new QHBoxLayout;
  cards->setSpacing(spacing::kGap);
  cards->addWidget(ecu_card_, 1);
  cards->addWidget(image_card_, 1);

  select_->setObjectName("CmdSelect");
  ok_->setObjectName("CmdOk");
  cancel_->setObjectName("CmdCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {select_, ok_, cancel_}) {
    b->setMinimumWidth(kButtonWidth);
    buttons->addWidget(b);
  }

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  column->setSpacing(spacing::kGap);
  column->addWidget(title_);
  column->addLayout(cards);
  column->addWidget(verdict_);
  column->addWidget(ProgressCard());
  column->addLayout(buttons);
  column->addStretch(1);

  connect(select_, &QPushButton::clicked, this,
          [this] { model_.CmdSelect(ChooseImage().toStdString()); });
  connect(ok_, &QPushButton::clicked, this, [this] { model_.CmdOk(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { model_.CmdCancel(); });
  model_.SetOnChange([this] { Refresh(); });
  CaricaLingua();
}

CardFrame* FrmFirmwarePage::VersionCard(QLabel*& version_caption, QLabel*& version,
                                        QLabel*& text_caption, QLabel*& text) {
  auto* card = new CardFrame;
  version_caption = Label(*this, "LblVersionCaption", palette::kTextMuted, 0.95);
  version = Label(*this, "LblVersion", palette::kText, 1.3, true);
  text_caption = Label(*this, "LblTextCaption", palette::kTextMuted, 0.95);
  text = Label(*this, "LblText", palette::kText, 1.0, true);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(spacing::kGap);
  grid->setVerticalSpacing(spacing::kGap / 2);
  grid->setColumnStretch(1, 1);
  grid->addWidget(version_caption, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
  grid->addWidget(version, 0, 1);
  grid->addWidget(text_caption, 1, 0, Qt::AlignLeft | Qt::AlignTop);
  grid->addWidget(text, 1, 1);
  card->Body()->addSpacing(spacing::kGap / 2);
  card->Body()->addLayout(grid);
  return card;
}

QWidget* FrmFirmwarePage::ProgressCard() {
  progress_card_ = new CardFrame;
  progress_card_->setObjectName("CardProgress");
  step_ = Label(*this, "LblPasso", palette::kText, 1.05, true);
  indicator_ = new QLabel;
  indicator_->setObjectName("ShpIndicatore");
  indicator_->setFixedSize(kIndicatorSize, kIndicatorSize);
  bar_ = new QProgressBar;
  bar_->setObjectName("ShpProgresso");
  bar_->setRange(0, firmware::progress::kFullWidth);
  bar_->setTextVisible(false);
  blocks_ = Label(*this, "LblBlocchi", palette::kTextMuted, 0.95);
  backup_ = Label(*this, "LblBackup", palette::kTextMuted, 0.95);
  message_ = Label(*this, "LblMessaggio", palette::kText, 1.05, true);
  auto* line = new QHBoxLayout;
  line->addWidget(indicator_);
  line->addWidget(step_, 1);
  progress_card_->Body()->addSpacing(spacing::kGap / 2);
  progress_card_->Body()->addLayout(line);
  progress_card_->Body()->addWidget(bar_);
  progress_card_->Body()->addWidget(blocks_);
  progress_card_->Body()->addWidget(backup_);
  progress_card_->Body()->addWidget(message_);
  return progress_card_;
}

QString FrmFirmwarePage::ChooseImage() {
  if (chooser_) {
    return chooser_();
  }
  return QFileDialog::getOpenFileName(this, Q(model_.Texts()[ft::kChoose]), Q(model_.ImageFolder()),
                                      QString::fromUtf8(kImageFilter));
}

void FrmFirmwarePage::CaricaLingua() {
  model_.CaricaLingua();
  const firmware::FirmwareTexts& t = model_.Texts();
  title_->setText(Q(t[ft::kTitle]));
  ecu_card_->SetTitle(Q(t[ft::kEcuFirmware]));
  image_card_->SetTitle(Q(t[ft::kImageFirmware]));
  progress_card_->SetTitle(Q(t[ft::kProgress]));
  for (QLabel* l : {ecu_version_caption_, image_version_caption_}) {
    l->setText(Q(t[ft::kVersion] + " / " + t[ft::kDate]));
  }
  for (QLabel* l : {ecu_text_caption_, image_text_caption_}) {
    l->setText(Q(t[ft::kHardware]));
  }
  image_path_caption_->setText(Q(t[ft::kCurrentImage]));
  select_->setText(Q(t[ft::kChoose]));
  ok_->setText(Q(t[ft::kUpdate]));
  cancel_->setText(Q(t[ft::kClose]));
  Refresh();
}

void FrmFirmwarePage::Refresh() {
  const firmware::FirmwareShown& s = model_.View();
  ecu_version_->setText(Q(s.ecu_version));
  ecu_text_->setText(Q(s.ecu_text.empty() ? "-" : s.ecu_text));
  image_version_->setText(Q(s.image_version));
  image_text_->setText(Q(s.image_text.empty() ? "-" : s.image_text));
  image_path_->setText(Q(s.image_path));
  image_note_->setText(Q(s.image_note));
  image_note_->setVisible(!s.image_note.empty());
  verdict_->setText(Q(s.verdict));
  QPalette p = verdict_->palette();
  p.setColor(QPalette::WindowText, Colour(VerdictColour(s)));
  verdict_->setPalette(p);
  // Before a run the card says what the fitter must not do during it.
  const bool idle = !s.running && s.step.empty();
  step_->setText(Q(idle ? model_.Texts()[ft::kKeepPower] : s.step));
  indicator_->setVisible(s.running);
  bar_->setVisible(s.bar_visible);
  bar_->setValue(std::clamp(s.bar, 0, firmware::progress::kFullWidth));
  indicator_->setStyleSheet(QStringLiteral("background:%1;border-radius:%2px;")
                                .arg(Colour(s.blink ? palette::kWarning : palette::kTrack).name())
                                .arg(kIndicatorSize / 2));
  blocks_->setText(Q(s.blocks));
  backup_->setText(Q(s.backup));
  // The message begins with a line break when it reports a failure.
  message_->setText(Q(s.message).trimmed());
  select_->setEnabled(!s.running);
  ok_->setEnabled(!s.running && s.can_update);
  cancel_->setEnabled(!s.running);
}

}  // namespace velmora::ui
