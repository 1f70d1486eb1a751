#include "ui/frm_kvx_load_save.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/text.h"
#include "ui/card_frame.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kListWidth = 300;
constexpr int kFieldsWidth = 360;
constexpr int kNoteHeight = 110;
enum Caption { kManufacturer, kModel, kCylinders, kIdentifier, kNote, kFilter, kCaptions };

QString Q(const std::string& s) {
  return QString::fromUtf8(s.c_str());
}

std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

QLineEdit* Field(const char* name) {
  auto* e = new QLineEdit;
  e->setObjectName(name);
  return e;
}

QPushButton* Button(const char* name) {
  auto* b = new QPushButton;
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

void Fill(QComboBox& box, const std::vector<std::string>& items) {
  const QSignalBlocker block(box);
  box.clear();
  for (const std::string& item : items) {
    box.addItem(Q(item));
  }
}

}  // namespace

FileChooser SystemFileChooser(QWidget* parent) {
  return [parent](FileDialog kind, const QString& filter, const QString& dir) {
    switch (kind) {
      case FileDialog::kOpen:
        break;
      case FileDialog::kSave:
        return QFileDialog::getSaveFileName(parent, QString(), dir, filter);
      case FileDialog::kSaveAsked:
        return QFileDialog::getSaveFileName(parent, QString(), dir, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    return QFileDialog::getOpenFileName(parent, QString(), dir, filter);
  };
}

QString QtFilter(const std::string& pairs) {
  const auto parts = core::Split(pairs, '|');
  QStringList filters;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    filters << Q(parts[i]);
  }
  return filters.join(QStringLiteral(";;"));
}

FrmKvxLoadSaveDialog::FrmKvxLoadSaveDialog(pages::CalibrationDocument& document, int mode,
                                           QWidget* parent)
    : QDialog(parent),
      model_(document),
      choose_(SystemFileChooser(this)),
      mode_label_(new QLabel),
      filter_(new QComboBox),
      files_(new QListWidget),
      manufacturer_(new QComboBox),
      model_field_(Field("TxtModello")),
      cylinders_(Field("TxtCil")),
      identifier_(Field("TxtId")),
      note_(new QPlainTextEdit),
      references_(new QComboBox),
      reset_(Button("CmdReset")),
      delete_(Button("CmdCancelFile")),
      export_(Button("CmdExport")),
      browse_(Button("CmdCerca")),
      open_mode_(Button("CmdApriTutto")),
      save_mode_(Button("CmdSave")),
      ok_(Button("CmdOk")),
      cancel_(Button("CmdAnnulla")) {
  setObjectName("FRM_KVXLoadSave");
  setModal(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Colour(palette::kWindow));
  setPalette(pal);
  Build();
  Connect();
  model_.Open(mode);
  CaricaLingua();
}

void FrmKvxLoadSaveDialog::Build() {
  for (QLabel*& l : captions_) {
    l = new QLabel;
  }
  filter_->setObjectName("CmbCostr2");
  files_->setObjectName("LstFile");
  files_->setMinimumWidth(kListWidth);
  manufacturer_->setObjectName("CmbCostruttori");
  manufacturer_->setEditable(true);
  manufacturer_->setInsertPolicy(QComboBox::NoInsert);
  note_->setObjectName("TxtNote");
  note_->setMinimumHeight(kNoteHeight);
  references_->setObjectName("CmbAlim");
  mode_label_->setObjectName("LblModo");
  QFont bold = mode_label_->font();
  bold.setBold(true);
  mode_label_->setFont(bold);
  LayOut();
}

CardFrame* FrmKvxLoadSaveDialog::ArchiveCard() {
  auto* archive = new CardFrame;
  archive->setObjectName("CardArchivio");
  auto* filter_row = new QHBoxLayout;
  filter_row->addWidget(captions_[kFilter]);
  filter_row->addWidget(filter_, 1);
  archive->Body()->addLayout(filter_row);
  archive->Body()->addWidget(files_, 1);
  archive->Body()->addWidget(delete_, 0, Qt::AlignLeft);
  return archive;
}

CardFrame* FrmKvxLoadSaveDialog::VehicleCard() {
  auto* vehicle = new CardFrame;
  vehicle->setObjectName("CardVeicolo");
  vehicle->setMinimumWidth(kFieldsWidth);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(spacing::kGap);
  grid->addWidget(mode_label_, 0, 0, 1, 2);
  const std::array<QWidget*, 4> fields{manufacturer_, model_field_, cylinders_, identifier_};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(captions_[static_cast<std::size_t>(i)], i + 1, 0);
    grid->addWidget(fields[static_cast<std::size_t>(i)], i + 1, 1);
  }
  grid->addWidget(captions_[kNote], 5, 0, Qt::AlignTop);
  grid->addWidget(note_, 5, 1);
  vehicle->Body()->addLayout(grid);
  return vehicle;
}

void FrmKvxLoadSaveDialog::LayOut() {
  auto* reference = new CardFrame;
  reference->setObjectName("CardRiferimento");
  auto* reference_row = new QHBoxLayout;
  reference_row->addWidget(references_, 1);
  reference_row->addWidget(reset_);
  reference->Body()->addLayout(reference_row);

  auto* right = new QVBoxLayout;
  right->setSpacing(spacing::kGap);
  right->addWidget(VehicleCard());
  right->addWidget(reference);
  right->addStretch(1);
  auto* cards = new QHBoxLayout;
  cards->setSpacing(spacing::kGap);
  cards->addWidget(ArchiveCard(), 1);
  cards->addLayout(right);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {open_mode_, save_mode_, export_, browse_}) {
    buttons->addWidget(b);
  }
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  ok_->setDefault(true);

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->setSpacing(spacing::kGap);
  page->addLayout(cards, 1);
  page->addLayout(buttons);
}

void FrmKvxLoadSaveDialog::Act(const std::function<bool()>& handler) {
  // What was typed goes to the model first; the model acts; the view shows
  // the model again, or closes.
  if (refreshing_) {
    return;
  }
  TakeFields();
  Close(handler());
}

void FrmKvxLoadSaveDialog::Connect() {
  const auto on = [this](auto* sender, auto signal, std::function<bool()> handler) {
    connect(sender, signal, this, [this, handler] { Act(handler); });
  };
  const auto step = [](std::function<void()> f) {
    return [f] {
      f();
      return false;
    };
  };
  connect(filter_, &QComboBox::activated, this,
          [this, step](int i) { Act(step([this, i] { model_.SetFilter(i); })); });
  connect(files_, &QListWidget::currentRowChanged, this,
          [this, step](int row) { Act(step([this, row] { model_.SelectFile(row); })); });
  connect(references_, &QComboBox::activated, this,
          [this, step](int i) { Act(step([this, i] { model_.SelectReference(i); })); });
  on(ok_, &QPushButton::clicked, [this] { return model_.CmdOk(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
  on(browse_, &QPushButton::clicked, [this] {
    // The archive asks its own question before it replaces a file.
    const auto kind =
        model_.Mode() == pages::archive_mode::kSave ? FileDialog::kSaveAsked : FileDialog::kOpen;
    return model_.CmdCerca(
        S(choose_(kind, QtFilter(model_.Texts().archive_files), Q(model_.DataDir()))));
  });
  on(open_mode_, &QPushButton::clicked, step([this] { model_.CmdApriTutto(); }));
  on(save_mode_, &QPushButton::clicked, step([this] { model_.CmdSave(); }));
  on(reset_, &QPushButton::clicked, [this] { return model_.CmdReset(); });
  on(delete_, &QPushButton::clicked, step([this] { model_.CmdCancelFile(); }));
  on(export_, &QPushButton::clicked, step([this] {
       (void)model_.CmdExport(
           S(choose_(FileDialog::kSave, QtFilter(model_.Texts().text_files), Q(model_.DataDir()))));
     }));
}

void FrmKvxLoadSaveDialog::TakeFields() {
  model_.SetName({S(manufacturer_->currentText()), S(model_field_->text()), S(cylinders_->text()),
                  S(identifier_->text())});
  model_.SetNote(S(note_->toPlainText()));
}

void FrmKvxLoadSaveDialog::Close(bool accepted) {
  if (accepted) {
    accept();
  } else {
    Refresh();
  }
}

void FrmKvxLoadSaveDialog::CaricaLingua() {
  model_.CaricaLingua();
  const pages::ArchiveTexts& t = model_.Texts();
  setWindowTitle(Q(t.caption));
  captions_[kManufacturer]->setText(Q(t.manufacturer));
  captions_[kModel]->setText(Q(t.model));
  captions_[kCylinders]->setText(Q(t.cylinders));
  captions_[kIdentifier]->setText(Q(t.identifier));
  captions_[kNote]->setText(Q(t.note));
  captions_[kFilter]->setText(Q(t.filter));
  findChild<CardFrame*>("CardArchivio")->SetTitle(Q(t.files));
  findChild<CardFrame*>("CardRiferimento")->SetTitle(Q(t.references));
  reset_->setText(Q(t.restore));
  delete_->setText(Q(t.delete_file));
  export_->setText(Q(t.export_dump));
  browse_->setText(Q(t.browse));
  open_mode_->setText(Q(t.open_mode));
  save_mode_->setText(Q(t.save_mode));
  cancel_->setText(Q(t.cancel));
  Refresh();
}

void FrmKvxLoadSaveDialog::Refresh() {
  refreshing_ = true;
  const pages::ArchiveTexts& t = model_.Texts();
  const bool save = model_.Mode() == pages::archive_mode::kSave;
  mode_label_->setText(Q(save ? t.save_mode : t.open_mode));
  findChild<CardFrame*>("CardVeicolo")->SetTitle(Q(t.caption));
  ok_->setText(Q(save ? t.save : t.open));
  Fill(*filter_, model_.FilterItems());
  filter_->setCurrentIndex(model_.Filter());
  Fill(*references_, model_.References());
  references_->setCurrentIndex(model_.Reference());
  reset_->setEnabled(model_.Reference() >= 0);
  {
    const QSignalBlocker block(files_);
    files_->clear();
    for (const std::string& f : model_.Files()) {
      files_->addItem(Q(f));
    }
    files_->setCurrentRow(model_.Selected());
  }
  Fill(*manufacturer_, model_.Manufacturers());
  const calib::ArchiveName& name = model_.Name();
  manufacturer_->setEditText(Q(name.manufacturer));
  model_field_->setText(Q(name.model));
  cylinders_->setText(Q(name.cylinders));
  identifier_->setText(Q(name.identifier));
  note_->setPlainText(Q(model_.Note()));
  delete_->setEnabled(model_.Selected() >= 0);
  refreshing_ = false;
}

}  // namespace velmora::ui
