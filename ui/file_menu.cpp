#include "ui/file_menu.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "pages/frm_kvx_load_save.h"

namespace velmora::ui {

namespace {

constexpr int kTickMs = 200;
constexpr std::string_view kRecentFile = "Recent.ini";

QString Q(const std::string& s) {
  return QString::fromUtf8(s.c_str());
}

std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

// "Calibration files (*.xsi *.qvd *.tun)", then all files.
QString CalibrationFilter(const pages::FileMenuTexts& t) {
  QString patterns;
  for (const std::string_view ext : pages::kCalibrationExtensions) {
    patterns += (patterns.isEmpty() ? "*" : " *") + QString::fromLatin1(ext.data(), ext.size());
  }
  return Q(t.calibration_files) + " (" + patterns + ");;" + Q(t.all_files) + " (*)";
}

std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> out;
  if (data == nullptr || !data->hasUrls()) {
    return out;
  }
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) {
      out.push_back(S(url.toLocalFile()));
    }
  }
  return out;
}

}  // namespace

FileMenu::FileMenu(QMenu& menu, QAction* before, QWidget& window)
    : menu_(menu), before_(before), window_(window), choose_(SystemFileChooser(&window)) {
  scope_ = [this] { return AskScope(); };
}

FileMenu::~FileMenu() {
  window_.removeEventFilter(this);
}

void FileMenu::Attach(pages::PageEnv& env, const std::string& recent_file,
                      std::function<void()> retitle) {
  retitle_ = std::move(retitle);
  const std::size_t slash = recent_file.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : recent_file.substr(0, slash + 1);
  model_ = std::make_unique<pages::FileMenuModel>(
      pages::DocumentEnv{env, dates_, folder + std::string(kRecentFile)});
  if (open_ == nullptr) {
    Build();
  }
  window_.setAcceptDrops(true);
  window_.installEventFilter(this);
  CaricaLingua();
}

void FileMenu::Build() {
  const auto add = [this](const char* name, auto slot) {
    auto* a = new QAction(&menu_);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, slot);
    menu_.insertAction(before_, a);
    return a;
  };
  open_ = add("ActApriCalibrazione", [this] { OpenFile(); });
  open_->setShortcut(QKeySequence::Open);
  save_as_ = add("ActSalvaCalibrazione", [this] { SaveAs(); });
  save_as_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  menu_.insertSeparator(before_);
  archive_open_ = add("ActArchivioApri", [this] { RunArchive(pages::archive_mode::kOpen); });
  archive_save_ = add("ActArchivioSalva", [this] { RunArchive(pages::archive_mode::kSave); });
  export_ = add("ActEsportaTesto", [this] { ExportDump(); });
  menu_.insertSeparator(before_);
  recent_ = new QMenu(&menu_);
  recent_->setObjectName("MnuRecenti");
  menu_.insertMenu(before_, recent_);
  connect(recent_, &QMenu::aboutToShow, this, [this] { FillRecent(); });
  menu_.insertSeparator(before_);
  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, [this] { Follow(); });
  timer_->start();
}

void FileMenu::CaricaLingua() {
  if (!model_) {
    return;
  }
  model_->CaricaLingua();
  const pages::FileMenuTexts& t = model_->Texts();
  open_->setText(Q(t.open));
  save_as_->setText(Q(t.save_as));
  archive_open_->setText(Q(t.archive_open));
  archive_save_->setText(Q(t.archive_save));
  export_->setText(Q(t.export_dump));
  recent_->setTitle(Q(t.recent));
  FillRecent();
}

QString FileMenu::TitleSuffix() const {
  return model_ ? Q(model_->Document().TitleSuffix()) : QString();
}

std::optional<std::size_t> FileMenu::AskScope() {
  const pages::FileMenuTexts& t = model_->Texts();
  QStringList items;
  for (const std::string& s : t.scopes) {
    items << Q(s);
  }
  bool ok = false;
  const QString chosen =
      QInputDialog::getItem(&window_, Q(t.scope_caption), Q(t.scope_caption), items, 0, false, &ok);
  if (!ok) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(items.indexOf(chosen));
}

std::optional<std::size_t> FileMenu::Scope() {
  return model_->OpenAsksScope() ? scope_() : std::optional<std::size_t>(0);
}

void FileMenu::OpenPath(const std::string& path) {
  if (const auto scope = Scope()) {
    model_->Open(path, *scope);
    Follow();
  }
}

void FileMenu::OpenFile() {
  const QString path = choose_(FileDialog::kOpen, CalibrationFilter(model_->Texts()),
                               Q(model_->Document().Env().paths.data_dir));
  if (!path.isEmpty()) {
    OpenPath(S(path));
  }
}

void FileMenu::SaveAs() {
  const QString path = choose_(FileDialog::kSave, CalibrationFilter(model_->Texts()),
                               Q(model_->Document().Env().paths.data_dir));
  if (!path.isEmpty()) {
    model_->SaveAs(S(path));
    Follow();
  }
}

std::unique_ptr<FrmKvxLoadSaveDialog> FileMenu::NewArchiveDialog(int mode) {
  auto dialog = std::make_unique<FrmKvxLoadSaveDialog>(model_->Document(), mode, &window_);
  dialog->SetFileChooser(choose_);
  return dialog;
}

void FileMenu::RunArchive(int mode) {
  NewArchiveDialog(mode)->exec();
  Follow();
}

void FileMenu::ExportDump() {
  const pages::FileMenuTexts& t = model_->Texts();
  const QString path =
      choose_(FileDialog::kSave, Q(t.text_files) + " (*.txt);;" + Q(t.all_files) + " (*)",
              Q(model_->Document().Env().paths.data_dir));
  if (!path.isEmpty()) {
    (void)model_->Document().ExportDump(S(path));
  }
}

void FileMenu::FillRecent() {
  recent_->clear();
  const auto& paths = model_->Document().Recent().Paths();
  if (paths.empty()) {
    recent_->addAction(Q(model_->Texts().no_recent))->setEnabled(false);
    return;
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    QAction* a = recent_->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(Q(paths[i])));
    connect(a, &QAction::triggered, this, [this, i] {
      if (const auto scope = Scope()) {
        model_->OpenRecent(i, *scope);
        Follow();
      }
    });
  }
}

void FileMenu::Follow() {
  if (!model_) {
    return;
  }
  if (model_->Document().Tick() && retitle_) {
    retitle_();
  }
  const auto progress = model_->Progress();
  if (progress && progress_ == nullptr) {
    progress_ = new QProgressDialog(Q(*progress), QString(), 0, 0, &window_);
    progress_->setObjectName("DlgAvanzamento");
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setCancelButton(nullptr);
    progress_->show();
  } else if (!progress && progress_ != nullptr) {
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
  }
}

bool FileMenu::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_ || !model_) {
    return false;
  }
  if (event->type() == QEvent::DragEnter) {
    auto* e = static_cast<QDragEnterEvent*>(event);
    if (model_->DroppedCalibration(DroppedFiles(e->mimeData()))) {
      e->acceptProposedAction();
      return true;
    }
  } else if (event->type() == QEvent::Drop) {
    auto* e = static_cast<QDropEvent*>(event);
    if (const auto path = model_->DroppedCalibration(DroppedFiles(e->mimeData()))) {
      e->acceptProposedAction();
      OpenPath(*path);
      return true;
    }
  }
  return false;
}

}  // namespace velmora::ui
