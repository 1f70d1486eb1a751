#include "ui/main_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/version.h"
#include "ui/frm_kvx_language.h"
#include "ui/language_font.h"

namespace velmora::ui {

namespace {

// Texts of the main window block, relative to its marker.
namespace generale {
constexpr const char* kMarker = "[Frm_Generale]";
constexpr int kNavStatus = 30;
constexpr int kNavLanguage = 31;
constexpr int kLanguageLabel = 32;
}  // namespace generale

enum Page { kPageStatus = 0, kPageLanguage = 1 };

QString Q(const std::string& s) {
  return QString::fromUtf8(s.c_str());
}

}  // namespace

MainWindow::MainWindow(core::StartupState& state, QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      nav_(new QListWidget),
      pages_(new QStackedWidget),
      title_label_(new QLabel),
      version_label_(new QLabel),
      language_label_(new QLabel),
      status_language_(new QLabel) {
  setObjectName("FrmMain");
  auto* central = new QWidget;
  auto* row = new QHBoxLayout(central);
  nav_->setObjectName("LstPagine");
  nav_->setFixedWidth(200);
  nav_->addItem(QString());
  nav_->addItem(QString());
  row->addWidget(nav_);
  row->addWidget(pages_, 1);

  auto* home = new QWidget;
  home->setObjectName("FrmStatus");
  auto* hl = new QVBoxLayout(home);
  hl->addStretch(1);
  title_label_->setObjectName("LblTitolo");
  title_label_->setAlignment(Qt::AlignCenter);
  QFont tf = title_label_->font();
  tf.setPointSizeF(tf.pointSizeF() * 2.2);
  tf.setBold(true);
  title_label_->setFont(tf);
  version_label_->setObjectName("LblVersione");
  version_label_->setAlignment(Qt::AlignCenter);
  language_label_->setObjectName("LblLingua");
  language_label_->setAlignment(Qt::AlignCenter);
  hl->addWidget(title_label_);
  hl->addWidget(version_label_);
  hl->addWidget(language_label_);
  hl->addStretch(2);
  pages_->addWidget(home);

  language_page_ =
      new FrmKvxLanguage(state_.lingue, state_.main_title, [this] { windows_.RecaptionAll(); });
  pages_->addWidget(language_page_);

  connect(nav_, &QListWidget::currentRowChanged, this, [this](int r) { SelezioneScheda(r); });
  status_language_->setObjectName("LblStatoLingua");
  statusBar()->addPermanentWidget(status_language_);
  setCentralWidget(central);
  resize(1024, 700);

  windows_.Add(this, this);
  nav_->setCurrentRow(kPageStatus);
  CaricaLingua();
}

MainWindow::~MainWindow() {
  windows_.Remove(this);
}

QString MainWindow::Text(int k, const char* fallback) const {
  const std::string t = state_.lingue.Testo(offset_, k);
  return t.empty() ? QString::fromUtf8(fallback) : Q(t);
}

void MainWindow::SelezioneScheda(int page) {
  if (page < 0 || page >= pages_->count()) {
    return;
  }
  pages_->setCurrentIndex(page);
  if (nav_->currentRow() != page) {
    nav_->setCurrentRow(page);
  }
}

void MainWindow::CaricaLingua() {
  auto& lingue = state_.lingue;
  offset_ = lingue.MarkerOffset(generale::kMarker);
  const int id = lingue.IdLingua();
  std::string title = lingue.VoceDizionario(id, 0);
  if (title.empty()) {
    title = state_.main_title;
  }
  setWindowTitle(Q(title + state_.version_text));
  title_label_->setText(Q(title));
  version_label_->setText(Q(core::VersionText()));
  const QString language_caption = Text(generale::kLanguageLabel, "Language");
  const QString language_name = Q(lingue.NomeLingua(id));
  language_label_->setText(language_caption + ": " + language_name);
  status_language_->setText(language_name);
  nav_->item(kPageStatus)->setText(Text(generale::kNavStatus, "Status"));
  nav_->item(kPageLanguage)->setText(Text(generale::kNavLanguage, "Language"));
  ApplyLanguageFont(this, lingue.CharsetLingua(id));
}

}  // namespace velmora::ui
