#include "ui/frm_logger_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "acq/osci_files.h"
#include "acq/synthetic_log.h"
#include "acq/time_window.h"
#include "core/text.h"
#include "ui/card_frame.h"
#include "ui/logger_plot_view.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace lf = acq::logger_filter;

constexpr int kLeftColumnWidth = 270;
constexpr double kDemoSeconds = 75;
constexpr int kDemoRate = 20;
constexpr int kDemoObdEvery = 20;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QFont Enlarged(const QWidget& w, int points) {
  QFont f = w.font();
  f.setPointSize(f.pointSize() + points);
  f.setBold(true);
  return f;
}

// The style of a channel's switch: a box in the trace's colour.
QString SwitchStyle(std::int32_t colour) {
  return QStringLiteral(
             "QCheckBox::indicator { width: 14px; height: 14px; border: 2px solid %1; "
             "border-radius: 3px; background: white; }"
             "QCheckBox::indicator:checked { background: %1; }")
      .arg(ChannelColour(colour).name());
}

constexpr const char* kSignalStyle =
    "QPushButton { text-align: left; padding: 3px 6px; border: 1px solid transparent; "
    "border-radius: 4px; background: transparent; }"
    "QPushButton:checked { background: #D6E6F5; border-color: #2F6FAB; }";

}  // namespace

QString QtFilter(std::string_view filter) {
  const std::vector<std::string> parts = core::Split(filter, '|');
  QStringList out;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string desc(core::Trim(parts[i]));
    const std::string pattern(core::Trim(parts[i + 1]));
    if (desc.empty() && pattern.empty()) {
      continue;
    }
    out << (desc.find('(') != std::string::npos ? Q(desc) : Q(desc + " (" + pattern + ")"));
  }
  return out.join(QStringLiteral(";;"));
}

FrmLoggerPage::FrmLoggerPage(acq::FrmLogger& model, const core::ClsLingue* lingue, QWidget* parent)
    : QWidget(parent),
      model_(model),
      lingue_(lingue),
      title_(new QLabel(this)),
      status_(new QLabel(this)),
      signal_group_(new QButtonGroup(this)),
      variables_(new QListWidget(this)),
      channels_card_(new CardFrame(this)),
      variables_card_(new CardFrame(this)),
      plot_(new LoggerPlotView(model, this)),
      overview_(new LoggerOverviewView(model, this)),
      scroll_(new QScrollBar(Qt::Horizontal, this)),
      time_(new QLabel(this)),
      cursor_info_(new QLabel(this)),
      progress_(new QProgressBar(this)) {
  setObjectName("FrmLogger");
  title_->setFont(Enlarged(*title_, 3));
  status_->setStyleSheet(QStringLiteral("color: #66788A;"));
  cursor_info_->setStyleSheet(QStringLiteral("color: #66788A;"));
  time_->setObjectName("LblTime2");
  progress_->setObjectName("LblBarra");
  progress_->setVisible(false);
  progress_->setMaximumWidth(220);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->addWidget(BuildHeader());
  auto* body = new QHBoxLayout;
  body->addWidget(BuildChannels());
  body->addSpacing(spacing::kGap);
  body->addWidget(BuildPlot(), 1);
  page->addLayout(body, 1);

  model_.progress = [this](std::size_t line, std::size_t lines) {
    progress_->setVisible(line < lines);
    progress_->setMaximum(static_cast<int>(std::min<std::size_t>(lines, INT32_MAX)));
    progress_->setValue(static_cast<int>(std::min(line, lines)));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  connect(plot_, &LoggerPlotView::CursorMoved, this, [this] { Refresh(); });
  connect(overview_, &LoggerOverviewView::Jumped, this, [this] { Refresh(); });
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
    if (!showing_) {
      model_.ScrlTime(v);
      Refresh();
    }
  });
  connect(variables_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    model_.LstVar(static_cast<std::size_t>(variables_->row(item)));
    Refresh();
  });
  CaricaLingua();
}

QPushButton* FrmLoggerPage::AddButton(const char* name, std::function<void()> action) {
  auto* b = new QPushButton(this);
  b->setObjectName(name);
  connect(b, &QPushButton::clicked, this, std::move(action));
  return b;
}

QPushButton* FrmLoggerPage::Button(const char* name) const {
  return findChild<QPushButton*>(QString::fromLatin1(name));
}

QWidget* FrmLoggerPage::BuildHeader() {
  auto* header = new QWidget(this);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(0, 0, 0, spacing::kGap);
  row->addWidget(title_);
  row->addSpacing(spacing::kGap);
  row->addWidget(status_);
  row->addStretch(1);
  row->addWidget(AddButton("OptRun0", [this] { Start(); }));
  row->addWidget(AddButton("OptRun1", [this] { Stop(); }));
  row->addSpacing(spacing::kGap);
  row->addWidget(AddButton("CmdSaveLogOsc", [this] { Save(); }));
  row->addWidget(AddButton("CmdOpen", [this] { Open(); }));
  return header;
}

QWidget* FrmLoggerPage::BuildChannels() {
  auto* column = new QWidget(this);
  column->setFixedWidth(kLeftColumnWidth);
  auto* v = new QVBoxLayout(column);
  v->setContentsMargins(0, 0, 0, 0);
  auto* rows = new QGridLayout;
  rows->setVerticalSpacing(2);
  signal_group_->setExclusive(true);
  for (std::size_t c = 0; c < acq::logger::kChannels; ++c) {
    shows_[c] = new QCheckBox(this);
    shows_[c]->setObjectName(QStringLiteral("PctMostra%1").arg(c));
    signals_[c] = new QPushButton(this);
    signals_[c]->setObjectName(QStringLiteral("LblSignal%1").arg(c));
    signals_[c]->setCheckable(true);
    signals_[c]->setStyleSheet(QString::fromLatin1(kSignalStyle));
    signal_group_->addButton(signals_[c], static_cast<int>(c));
    rows->addWidget(shows_[c], static_cast<int>(c), 0);
    rows->addWidget(signals_[c], static_cast<int>(c), 1);
    connect(shows_[c], &QCheckBox::clicked, this, [this, c] {
      model_.PctMostra(c);
      Refresh();
    });
    connect(signals_[c], &QPushButton::clicked, this, [this, c] {
      model_.LblSignal(c);
      Refresh();
    });
  }
  channels_card_->Body()->addLayout(rows);
  auto* buttons = new QGridLayout;
  buttons->addWidget(AddButton("CmdZoomIn", [this] { Act(&acq::FrmLogger::CmdZoomIn); }), 0, 0);
  buttons->addWidget(AddButton("CmdZoomOut", [this] { Act(&acq::FrmLogger::CmdZoomOut); }), 0, 1);
  buttons->addWidget(AddButton("CmdUp", [this] { Act(&acq::FrmLogger::CmdUp); }), 1, 0);
  buttons->addWidget(AddButton("CmdDw", [this] { Act(&acq::FrmLogger::CmdDw); }), 1, 1);
  buttons->addWidget(AddButton("CmdReset", [this] { Act(&acq::FrmLogger::CmdReset); }), 2, 0);
  buttons->addWidget(AddButton("CmdFit", [this] { Act(&acq::FrmLogger::CmdFit); }), 2, 1);
  channels_card_->Body()->addLayout(buttons);
  variables_->setObjectName("LstVar");
  variables_card_->Body()->addWidget(variables_);
  v->addWidget(channels_card_);
  v->addWidget(variables_card_, 1);
  return column;
}

QWidget* FrmLoggerPage::BuildPlot() {
  auto* column = new QWidget(this);
  auto* v = new QVBoxLayout(column);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(6);
  v->addWidget(plot_, 1);
  scroll_->setObjectName("ScrlTime");
  v->addWidget(scroll_);
  auto* tools = new QHBoxLayout;
  tools->addWidget(AddButton("CmdPrev", [this] { Act(&acq::FrmLogger::CmdPrev); }));
  tools->addWidget(AddButton("CmdNext", [this] { Act(&acq::FrmLogger::CmdNext); }));
  tools->addWidget(AddButton("CmdZin", [this] { Act(&acq::FrmLogger::CmdZin); }));
  tools->addWidget(AddButton("CmdZOut", [this] { Act(&acq::FrmLogger::CmdZOut); }));
  tools->addStretch(1);
  tools->addWidget(AddButton("CmdEsporta", [this] { ExportText(); }));
  tools->addWidget(AddButton("CmdEsportaCsv", [this] { ExportCsv(); }));
  tools->addWidget(AddButton("CmdEsportaPng", [this] { ExportPicture(); }));
  v->addLayout(tools);
  auto* info = new QHBoxLayout;
  info->addWidget(time_);
  info->addSpacing(spacing::kGap);
  info->addWidget(cursor_info_, 1);
  info->addWidget(progress_);
  v->addLayout(info);
  v->addWidget(overview_);
  return column;
}

void FrmLoggerPage::CaricaLingua() {
  if (lingue_ != nullptr) {
    model_.CaricaLingua(*lingue_);
  }
  const acq::LoggerTexts& t = model_.Texts();
  title_->setText(Q(t.caption));
  setWindowTitle(title_->text());
  const std::pair<const char*, const std::string*> captions[] = {
      {"OptRun0", &t.start},
      {"OptRun1", &t.stop},
      {"CmdSaveLogOsc", &t.save},
      {"CmdOpen", &t.open},
      {"CmdEsporta", &t.export_text},
      {"CmdEsportaCsv", &t.export_csv},
      {"CmdEsportaPng", &t.export_png},
      {"CmdReset", &t.reset},
      {"CmdNext", &t.next},
      {"CmdPrev", &t.prev},
      {"CmdZin", &t.zoom_in_time},
      {"CmdZOut", &t.zoom_out_time},
      {"CmdZoomIn", &t.gain_up},
      {"CmdZoomOut", &t.gain_down},
      {"CmdUp", &t.move_up},
      {"CmdDw", &t.move_down},
  };
  for (const auto& [name, text] : captions) {
    Button(name)->setText(Q(*text));
  }
  Button("CmdFit")->setText(Q(t.fit));
  channels_card_->SetTitle(Q(t.channel));
  variables_card_->SetTitle(Q(t.variables));
  variables_->clear();
  for (const std::string& name : model_.VariableNames()) {
    variables_->addItem(Q(name));
  }
  Refresh();
}

void FrmLoggerPage::ShowChannels() {
  const acq::Channels& ch = model_.ChannelTable();
  for (std::size_t c = 0; c < ch.size(); ++c) {
    shows_[c]->setChecked(ch[c].visible);
    shows_[c]->setStyleSheet(SwitchStyle(ch[c].colour));
    signals_[c]->setText(Q(model_.SignalLabel(c)));
    signals_[c]->setChecked(c == model_.Selected());
  }
  const acq::Variable* v =
      acq::FindVariable(model_.VariableList(), ch[model_.Selected()].variable_id);
  const auto& list = model_.VariableList();
  variables_->setCurrentRow(v != nullptr ? static_cast<int>(v - list.data()) : -1);
}

void FrmLoggerPage::ShowCursorInfo() {
  const acq::CursorReadout r = model_.Cursors();
  const acq::LoggerTexts& t = model_.Texts();
  time_->setText(Q(model_.TimeLabel()));
  QString info;
  if (r.b_ms) {
    info = Q(t.cursor_b) + QStringLiteral(": ") + Q(acq::CursorTimeText(*r.b_ms)).mid(6);
    if (r.a_ms) {
      info +=
          QStringLiteral("    ") + Q(t.difference) +
          QStringLiteral(": %1 s").arg(static_cast<double>(*r.b_ms - *r.a_ms) / 1000.0, 0, 'f', 3);
    }
    const acq::Channel& sel = model_.ChannelTable()[model_.Selected()];
    info += QStringLiteral("    ") + Q(sel.name) + QStringLiteral(": ") +
            Q(r.at_a[model_.Selected()]) + QStringLiteral(" \u2192 ") +
            Q(r.at_b[model_.Selected()]);
  }
  cursor_info_->setText(info);
}

void FrmLoggerPage::Refresh() {
  showing_ = true;
  const acq::LoggerControls& c = model_.Controls();
  status_->setText(Q(model_.StatusText()));
  const std::pair<const char*, bool> enabled[] = {
      {"OptRun0", c.start},
      {"OptRun1", c.stop},
      {"CmdSaveLogOsc", c.save},
      {"CmdOpen", c.open},
      {"CmdEsporta", c.export_file},
      {"CmdEsportaCsv", c.export_file},
      {"CmdEsportaPng", c.export_file},
      {"CmdNext", c.next},
      {"CmdPrev", c.prev},
      {"CmdZin", c.zoom_in_time},
      {"CmdZOut", c.zoom_out_time},
      {"CmdFit", c.export_file},
  };
  for (const auto& [name, on] : enabled) {
    Button(name)->setEnabled(on);
  }
  scroll_->setVisible(c.scroll);
  scroll_->setRange(0, model_.ScrollMax());
  scroll_->setValue(model_.ScrollValue());
  ShowChannels();
  ShowCursorInfo();
  plot_->update();
  overview_->setVisible(!model_.Samples().Empty());
  overview_->update();
  showing_ = false;
}

void FrmLoggerPage::Act(void (acq::FrmLogger::*action)()) {
  (model_.*action)();
  Refresh();
}

QString FrmLoggerPage::Choose(LoggerFile kind) {
  if (choose_file) {
    return choose_file(kind);
  }
  const acq::LoggerTexts& t = model_.Texts();
  switch (kind) {
    case LoggerFile::kOpen:
      return QFileDialog::getOpenFileName(this, Q(t.open), QString(), QtFilter(lf::kOpen));
    case LoggerFile::kSave:
      return QFileDialog::getSaveFileName(this, Q(t.save), QString(), QtFilter(lf::kSave));
    case LoggerFile::kExportText:
      return QFileDialog::getSaveFileName(this, Q(t.export_text), QString(), QtFilter(lf::kExport));
    case LoggerFile::kExportCsv:
      return QFileDialog::getSaveFileName(this, Q(t.export_csv), QString(), QtFilter(lf::kCsv));
    case LoggerFile::kExportPicture:
      return QFileDialog::getSaveFileName(this, Q(t.export_png), QString(), QtFilter(lf::kPng));
  }
  return {};
}

void FrmLoggerPage::Start() {
  if (model_.AskSaveFirst()) {
    Save();
  }
  (void)model_.OptRun(0);
  Refresh();
}

void FrmLoggerPage::Stop() {
  (void)model_.OptRun(1);
  Refresh();
}

void FrmLoggerPage::Save() {
  const QString path = Choose(LoggerFile::kSave);
  if (!path.isEmpty()) {
    (void)model_.CmdSaveLogOsc(path.toStdString());
  }
  progress_->setVisible(false);
  Refresh();
}

void FrmLoggerPage::Open() {
  if (model_.AskSaveFirst()) {
    Save();
  }
  const QString path = Choose(LoggerFile::kOpen);
  if (!path.isEmpty()) {
    (void)model_.CmdOpen(path.toStdString());
  }
  progress_->setVisible(false);
  Refresh();
}

void FrmLoggerPage::ExportText() {
  const QString path = Choose(LoggerFile::kExportText);
  if (!path.isEmpty() && model_.CmdEsporta(path.toStdString())) {
    status_->setText(Q(model_.Texts().export_done));
  }
}

void FrmLoggerPage::ExportCsv() {
  const QString path = Choose(LoggerFile::kExportCsv);
  if (!path.isEmpty() && model_.ExportCsv(path.toStdString())) {
    status_->setText(Q(model_.Texts().export_done));
  }
}

void FrmLoggerPage::ExportPicture() {
  const QString path = Choose(LoggerFile::kExportPicture);
  if (!path.isEmpty() && plot_->grab().save(path, "PNG")) {
    status_->setText(Q(model_.Texts().export_done));
  }
}

void FrmLoggerPage::PrepareScreenshot() {
  QCoreApplication::processEvents();
  model_.SetPlotSize({plot_->width(), plot_->height()});
  model_.ShowRecording(
      acq::SyntheticTrafficLog(model_.Table(), kDemoSeconds, kDemoRate, kDemoObdEvery));
  progress_->setVisible(false);
  Refresh();
}

}  // namespace velmora::ui
