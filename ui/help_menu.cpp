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

#include "core/version.h"

namespace velmora::ui {

namespace {

// The manual's forms in the order they are preferred.
constexpr std::array<const char*, 3> kManualNames = {"manual.pdf", "manual.html", "manual.md"};

constexpr const char* kLicenceLine = "All rights reserved.";
constexpr int kShortcutDialogWidth = 460;
constexpr int kShortcutDialogHeight = 520;

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
  menu_ = bar.addMenu(QStringLiteral("&Help"));
  menu_->setObjectName("MnuAiuto");
  QAction* manual =
      menu_->addAction(QStringLiteral("User &manual"), &window, [this] { OpenManual(); });
  manual->setObjectName("ActManuale");
  manual->setShortcut(QKeySequence(Qt::Key_F1));
  QAction* keys = menu_->addAction(QStringLiteral("&Keyboard shortcuts..."), &window,
                                   [this] { ShowShortcuts(); });
  keys->setObjectName("ActScorciatoie");
  menu_->addSeparator();
  QAction* about = menu_->addAction(QStringLiteral("&About %1...").arg(core::kProductTitle),
                                    &window, [this] { ShowAbout(); });
  about->setObjectName("ActInformazioni");
}

void HelpMenu::OpenManual() {
  const std::string file = ManualFile(pdf_dir_);
  if (file.empty()) {
    QMessageBox::information(&window_, QString::fromUtf8(core::kProductTitle),
                             QStringLiteral("The user manual is not installed in %1")
                                 .arg(QString::fromStdString(pdf_dir_)));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file)));
}

void HelpMenu::ShowShortcuts() {
  QDialog dialog(&window_);
  dialog.setObjectName("FrmScorciatoie");
  dialog.setWindowTitle(QStringLiteral("Keyboard shortcuts"));
  const std::vector<ShortcutLine> lines = MenuShortcuts(*window_.menuBar());
  auto* table = new QTableWidget(static_cast<int>(lines.size()), 2, &dialog);
  table->setObjectName("GrdScorciatoie");
  table->setHorizontalHeaderLabels({QStringLiteral("Command"), QStringLiteral("Shortcut")});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
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
  QMessageBox::about(&window_, QStringLiteral("About %1").arg(core::kProductTitle), text);
}

}  // namespace velmora::ui
