#include "ui/help_menu.h"

#include <libserialport.h>

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <array>
#include <filesystem>
#include <string_view>

#include "core/text_block.h"
#include "core/version.h"

namespace velmora::ui {

namespace {

// The Help menu's block of the dictionary.
namespace help_text {
constexpr std::string_view kMarker = "[Frm_Aiuto]";
constexpr int kMenu = 1;
constexpr int kManual = 2;
constexpr int kShortcuts = 3;
constexpr int kAbout = 4;
constexpr int kShortcutsTitle = 5;
constexpr int kCommandHeading = 6;
constexpr int kKeysHeading = 7;
constexpr int kNoManual = 8;
}  // namespace help_text

// The manual's forms in the order they are preferred.
constexpr std::array<const char*, 3> kManualNames = {"manual.pdf", "manual.html", "manual.md"};

constexpr const char* kLicenceLine = "All rights reserved.";
constexpr int kShortcutDialogWidth = 460;
constexpr int kShortcutDialogHeight = 520;
constexpr int kRowPadding = 8;

// A menu or action text without its mnemonic markers.
QString Plain(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

void CollectShortcuts(const QMenu& menu, const QString& where, std::vector<ShortcutLine>& into) {
  for (QAction* action : menu.actions()) {
    if (action->menu() != nullptr) {
      CollectShortcuts(*action->menu(), where + " > " + Plain(action->text()), into);
    } else if (!action->shortcut().isEmpty()) {
      into.push_back({where + " > " + Plain(action->text()),
                      action->shortcut().toString(QKeySequence::NativeText)});
    }
  }
}

}  // namespace

HelpTexts HelpTextsFrom(const core::ClsLingue& lingue) {
  namespace ht = help_text;
  const core::TextBlock block(lingue, ht::kMarker);
  HelpTexts t;
  const auto take = [&block](int k, QString& into) {
    into = QString::fromStdString(block.Text(k, into.toStdString()));
  };
  take(ht::kMenu, t.menu);
  take(ht::kManual, t.manual);
  take(ht::kShortcuts, t.shortcuts);
  take(ht::kAbout, t.about);
  take(ht::kShortcutsTitle, t.shortcuts_title);
  take(ht::kCommandHeading, t.command_heading);
  take(ht::kKeysHeading, t.keys_heading);
  take(ht::kNoManual, t.no_manual);
  return t;
}

std::vector<ShortcutLine> MenuShortcuts(const QMenuBar& bar) {
  std::vector<ShortcutLine> lines;
  for (QAction* top : bar.actions()) {
    if (top->menu() != nullptr) {
      CollectShortcuts(*top->menu(), Plain(top->text()), lines);
    }
  }
  return lines;
}

std::string ManualFile(const std::string& pdf_dir) {
  if (pdf_dir.empty()) {
    return {};
  }
  for (const char* name : kManualNames) {
    std::error_code ec;
    const std::string path = pdf_dir + name;
    if (std::filesystem::is_regular_file(path, ec)) {
      return path;
    }
  }
  return {};
}

HelpMenu::HelpMenu(QMenuBar& bar, QMainWindow& window) : window_(window) {
  menu_ = bar.addMenu(QString());
  menu_->setObjectName("MnuAiuto");
  manual_ = menu_->addAction(QString(), &window, [this] { OpenManual(); });
  manual_->setObjectName("ActManuale");
  manual_->setShortcut(QKeySequence(Qt::Key_F1));
  shortcuts_ = menu_->addAction(QString(), &window, [this] { ShowShortcuts(); });
  shortcuts_->setObjectName("ActScorciatoie");
  menu_->addSeparator();
  about_ = menu_->addAction(QString(), &window, [this] { ShowAbout(); });
  about_->setObjectName("ActInformazioni");
  CaricaLingua();
}

void HelpMenu::Attach(std::string pdf_dir, const core::ClsLingue& lingue) {
  pdf_dir_ = std::move(pdf_dir);
  lingue_ = &lingue;
  CaricaLingua();
}

void HelpMenu::CaricaLingua() {
  texts_ = lingue_ != nullptr ? HelpTextsFrom(*lingue_) : HelpTexts{};
  menu_->setTitle(texts_.menu);
  manual_->setText(texts_.manual);
  shortcuts_->setText(texts_.shortcuts);
  about_->setText(texts_.about + " " + QString::fromUtf8(core::kProductTitle) + "...");
}

void HelpMenu::OpenManual() {
  const std::string file = ManualFile(pdf_dir_);
  if (file.empty()) {
    QMessageBox::information(&window_, QString::fromUtf8(core::kProductTitle),
                             texts_.no_manual + " " + QString::fromStdString(pdf_dir_));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file)));
}

void HelpMenu::ShowShortcuts() {
  QDialog dialog(&window_);
  dialog.setObjectName("FrmScorciatoie");
  dialog.setWindowTitle(texts_.shortcuts_title);
  const std::vector<ShortcutLine> lines = MenuShortcuts(*window_.menuBar());
  auto* table = new QTableWidget(static_cast<int>(lines.size()), 2, &dialog);
  table->setObjectName("GrdScorciatoie");
  table->setHorizontalHeaderLabels({texts_.command_heading, texts_.keys_heading});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + kRowPadding);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int row = static_cast<int>(i);
    table->setItem(row, 0, new QTableWidgetItem(lines[i].command));
    table->setItem(row, 1, new QTableWidgetItem(lines[i].keys));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(table);
  layout->addWidget(buttons);
  dialog.resize(kShortcutDialogWidth, kShortcutDialogHeight);
  dialog.exec();
}

void HelpMenu::ShowAbout() {
  const QString text =
      QStringLiteral("<h3>%1</h3><p>Version%2</p><p>%3</p><p>Qt %4<br>libserialport %5</p>")
          .arg(QString::fromUtf8(core::kProductTitle),
               QString::fromStdString(core::VersionText()).toHtmlEscaped(),
               QString::fromUtf8(kLicenceLine), QString::fromUtf8(qVersion()),
               QString::fromUtf8(sp_get_package_version_string()));
  QMessageBox::about(&window_, Plain(texts_.about) + " " + QString::fromUtf8(core::kProductTitle),
                     text);
}

}  // namespace velmora::ui
