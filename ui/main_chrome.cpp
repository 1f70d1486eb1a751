#include "ui/main_chrome.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include "ui/card_painter.h"
#include "ui/connection_icon.h"
#include "ui/file_menu.h"
#include "ui/help_menu.h"
#include "ui/page_navigator.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kStatusIconSide = 20;

QLabel* MutedLabel(const char* name) {
  auto* l = new QLabel;
  l->setObjectName(name);
  SetTextColour(*l, palette::kTextMuted);
  l->setContentsMargins(10, 0, 10, 0);
  return l;
}

}  // namespace

MainChrome::MainChrome(QMainWindow& window, PageNavigator& navigator,
                       const ChromeActions& actions) {
  BuildMenus(window, navigator, actions);
  BuildStatusBar(window, actions);
}

MainChrome::~MainChrome() = default;

void MainChrome::AttachFiles(pages::PageEnv& env, const std::string& port_com_file,
                             std::function<void()> retitle) {
  files_->Attach(env, port_com_file, std::move(retitle));
  help_->Attach(env.paths.pdf_dir, env.lingue);
}

QString MainChrome::FileTitle() const {
  return files_->TitleSuffix();
}

void MainChrome::BuildMenus(QMainWindow& window, PageNavigator& navigator,
                            const ChromeActions& actions) {
  QMenuBar* bar = window.menuBar();
  file_ = bar->addMenu(QString());
  exit_ = file_->addAction(QString(), &window, actions.exit);
  exit_->setObjectName("ActEsci");
  exit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  files_ = std::make_unique<FileMenu>(*file_, exit_, window);
  pages_ = bar->addMenu(QString());
  navigator.FillMenu(*pages_);
  ecu_ = bar->addMenu(QString());
  connect_ = ecu_->addAction(QString(), &window, actions.toggle_connection);
  connect_->setObjectName("ActConnessione");
  connect_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  ecu_->addSeparator();
  switch_over_ = ecu_->addAction(QString(), &window, actions.switch_over);
  switch_over_->setObjectName("ActTempCommutazione");
  switch_over_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  help_ = std::make_unique<HelpMenu>(*bar, window);
}

void MainChrome::BuildStatusBar(QMainWindow& window, const ChromeActions& actions) {
  QStatusBar* bar = window.statusBar();
  bar->setSizeGripEnabled(true);
  indicator_ = new ConnectionIcon;
  indicator_->setObjectName("ImgConnessione");
  indicator_->setFixedSize(kStatusIconSide, kStatusIconSide);
  indicator_->SetOnClicked(actions.toggle_connection);
  caption_ = new QLabel;
  caption_->setObjectName("LblDidascalia");
  auto* left = new QWidget;
  auto* l = new QHBoxLayout(left);
  l->setContentsMargins(6, 0, 0, 0);
  l->setSpacing(8);
  l->addWidget(indicator_);
  l->addWidget(caption_, 1);
  bar->addWidget(left, 1);
  bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  port_ = MutedLabel("LblPortaStato");
  rate_ = MutedLabel("LblFrequenza");
  language_ = MutedLabel("LblStatoLingua");
  for (QLabel* label : {port_, rate_, language_}) {
    bar->addPermanentWidget(label);
  }
}

void MainChrome::CaricaLingua(const pages::ShellTexts& texts, const QString& language) {
  file_->setTitle(Q(texts.file_menu));
  pages_->setTitle(Q(texts.pages_menu));
  ecu_->setTitle(Q(texts.ecu_menu));
  exit_->setText(Q(texts.exit));
  files_->CaricaLingua();
  help_->CaricaLingua();
  switch_over_->setText(Q(texts.switch_over_action));
  language_->setText(language);
}

void MainChrome::ShowStatus(const pages::StatusTexts& status) {
  port_->setText(Q(status.port));
  rate_->setText(Q(status.rate));
  connect_->setText(Q(status.connect_action));
}

void MainChrome::ShowCaption(const QString& caption) {
  caption_->setText(caption);
}

}  // namespace velmora::ui
