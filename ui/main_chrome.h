#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "pages/shell_model.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace velmora::ui {

class ConnectionIcon;
class FileMenu;
class HelpMenu;
class PageNavigator;

// What the main window's menus and status bar call.
struct ChromeActions {
  std::function<void()> exit;
  std::function<void()> toggle_connection;
  std::function<void()> switch_over;
};

// The main window's menu bar (File, Pages from the page table, ECU, Help) and
// status bar (connection indicator, caption, port, poll rate, language).
class MainChrome {
 public:
  MainChrome(QMainWindow& window, PageNavigator& navigator, const ChromeActions& actions);
  ~MainChrome();
  MainChrome(const MainChrome&) = delete;
  MainChrome& operator=(const MainChrome&) = delete;

  // The File menu's calibration actions over the pages' environment; the
  // recent files are kept beside `port_com_file`. `retitle` shows the
  // window's title again when the file or its state changes. The Help
  // menu finds the manual in the environment's folders.
  void AttachFiles(pages::PageEnv& env, const std::string& port_com_file,
                   std::function<void()> retitle);
  // What the window's title shows of the calibration file.
  [[nodiscard]] QString FileTitle() const;
  [[nodiscard]] FileMenu* Files() const { return files_.get(); }

  void CaricaLingua(const pages::ShellTexts& texts, const QString& language);
  void ShowStatus(const pages::StatusTexts& status);
  void ShowCaption(const QString& caption);

  [[nodiscard]] ConnectionIcon* Indicator() const { return indicator_; }
  [[nodiscard]] QAction* ConnectAction() const { return connect_; }
  [[nodiscard]] QAction* SwitchOverAction() const { return switch_over_; }

 private:
  void BuildMenus(QMainWindow& window, PageNavigator& navigator, const ChromeActions& actions);
  void BuildStatusBar(QMainWindow& window, const ChromeActions& actions);

  QMenu* file_ = nullptr;
  QMenu* pages_ = nullptr;
  QMenu* ecu_ = nullptr;
  QAction* exit_ = nullptr;
  QAction* connect_ = nullptr;
  QAction* switch_over_ = nullptr;
  std::unique_ptr<FileMenu> files_;
  std::unique_ptr<HelpMenu> help_;
  ConnectionIcon* indicator_ = nullptr;
  QLabel* caption_ = nullptr;
  QLabel* port_ = nullptr;
  QLabel* rate_ = nullptr;
  QLabel* language_ = nullptr;
};

}  // namespace velmora::ui
