#pragma once

#include <QString>
#include <string>
#include <vector>

namespace velmora::core {
class ClsLingue;
}

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace velmora::ui {

// One line of the keyboard shortcut list: where the command sits and its key.
struct ShortcutLine {
  QString command;  // "Pages > Dashboard"
  QString keys;     // in the platform's own spelling
};

// Every command of the menu bar that has a shortcut, menu by menu: the
// pages' keys come from the page table through the Pages menu, the fixed
// ones from the other menus.
[[nodiscard]] std::vector<ShortcutLine> MenuShortcuts(const QMenuBar& bar);

// The user manual in `pdf_dir`: the PDF, else the HTML or Markdown copy
// installed beside it; empty when none is there.
[[nodiscard]] std::string ManualFile(const std::string& pdf_dir);

// The Help menu's texts: English until a dictionary gives its own.
struct HelpTexts {
  QString menu = QStringLiteral("&Help");
  QString manual = QStringLiteral("User &manual");
  QString shortcuts = QStringLiteral("&Keyboard shortcuts...");
  QString about = QStringLiteral("&About");
  QString shortcuts_title = QStringLiteral("Keyboard shortcuts");
  QString command_heading = QStringLiteral("Command");
  QString keys_heading = QStringLiteral("Shortcut");
  QString no_manual = QStringLiteral("The user manual is not installed in");
};

[[nodiscard]] HelpTexts HelpTextsFrom(const core::ClsLingue& lingue);

// The window's Help menu: the user manual, the keyboard shortcuts and the
// About box.
class HelpMenu {
 public:
  HelpMenu(QMenuBar& bar, QMainWindow& window);

  // Where the manuals are installed (the path table's manual folder) and
  // the dictionary the texts come from.
  void Attach(std::string pdf_dir, const core::ClsLingue& lingue);
  // The texts again in the dictionary's chosen language.
  void CaricaLingua();
  [[nodiscard]] QMenu* Menu() const { return menu_; }

 private:
  void OpenManual();
  void ShowShortcuts();
  void ShowAbout();

  QMainWindow& window_;
  QMenu* menu_ = nullptr;
  QAction* manual_ = nullptr;
  QAction* shortcuts_ = nullptr;
  QAction* about_ = nullptr;
  HelpTexts texts_;
  std::string pdf_dir_;
  const core::ClsLingue* lingue_ = nullptr;
};

}  // namespace velmora::ui
