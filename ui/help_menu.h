#pragma once

#include <QString>
#include <string>
#include <vector>

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

// The window's Help menu: the user manual, the keyboard shortcuts and the
// About box. Its texts are English.
class HelpMenu {
 public:
  HelpMenu(QMenuBar& bar, QMainWindow& window);

  // Where the manuals are installed (the path table's manual folder).
  void SetManualFolder(std::string pdf_dir) { pdf_dir_ = std::move(pdf_dir); }
  [[nodiscard]] QMenu* Menu() const { return menu_; }

 private:
  void OpenManual();
  void ShowShortcuts();
  void ShowAbout();

  QMainWindow& window_;
  QMenu* menu_ = nullptr;
  std::string pdf_dir_;
};

}  // namespace velmora::ui
