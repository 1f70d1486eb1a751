#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "calib/calibration_image.h"
#include "calib/coefficient_file.h"
#include "core/session_flags.h"
#include "core/startup.h"
#include "link/message_table.h"
#include "link/port_discovery.h"
#include "pages/value_entry.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "session/session.h"
#include "ui/page_codes.h"
#include "ui/poll_rate.h"
#include "ui/session_caption.h"
#include "ui/window_registry.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QStackedWidget;
class QTimer;

namespace velmora::ui {

class ConnectionIcon;
class ConnectionPage;
class DashboardPage;
class FrmEnterValue;
class FrmKvxLanguage;
class FrmKvxPortSearch;
class FrmPrima;
class MapPages;

// What the window drives once the session exists. Nothing here is owned.
struct SessionLinks {
  session::Session& session;
  link::MessageTable& table;
  core::SessionFlags& flags;
  platform::MessageBox& box;
  platform::Clock& clock;
  std::string port_com_file;
  calib::CalibrationImage& image;
  const calib::CoefficientList* coefficients = nullptr;  // may be null
  std::string lng_dir;
};

// The texts the session is given for its titles and captions, in the chosen
// language; the window recognises them to show them again after a language
// change.
[[nodiscard]] CaptionTexts WindowCaptionTexts(const core::StartupState& state);

// The workstation's main window: navigation on the left, pages on the right,
// the connection indicator, the port and the achieved poll rate in the status
// bar. It is the session's host: the session tells it what to show, and its
// two timers drive the session.
class MainWindow : public QMainWindow, public Captioned, public session::SessionHost {
  Q_OBJECT
 public:
  explicit MainWindow(core::StartupState& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Connects the window to the session; the timers start with Load.
  void AttachSession(const SessionLinks& links);
  // The end of the window's loading: the splash (when `splash_picture` is
  // not null; an empty path draws the logo), the start page, the ECU-lost
  // flag, then Timer1 and Timer2.
  void Load(const QString* splash_picture);

  void CaricaLingua() override;
  // Shows the page with this code; an unknown code changes nothing.
  void SelezioneScheda(int code);
  [[nodiscard]] int ShownPage() const { return shown_page_; }

  [[nodiscard]] WindowRegistry& Windows() { return windows_; }
  [[nodiscard]] FrmKvxLanguage* LanguagePage() const { return language_page_; }
  [[nodiscard]] DashboardPage* Dashboard() const { return dashboard_; }
  [[nodiscard]] ConnectionPage* Connection() const { return connection_; }
  [[nodiscard]] FrmKvxPortSearch* SearchWindow() const { return search_; }
  // The map pages; null before AttachSession.
  [[nodiscard]] MapPages* Maps() const { return map_pages_.get(); }
  // The value entry dialog the grids share; null before AttachSession.
  [[nodiscard]] FrmEnterValue* EnterValue() const { return enter_value_.get(); }
  [[nodiscard]] QAction* SwitchOverAction() const { return switch_over_action_; }
  [[nodiscard]] double PollRate() const { return poll_rate_.Rate(); }

  // The switch-over temperature dialog's answer: the new value goes to the
  // ECU through the session.
  void ApplySwitchOver(const pages::EnteredValue& result);

  // SessionHost
  void ShowTitle(std::string_view text) override;
  void ShowCaption(std::string_view text) override;
  void ShowNotice(std::string_view text) override;
  void StateChanged(int from, int to) override;
  void EnablePages(bool enable) override;
  void EnableTimer2(bool enable) override;
  void SetBusyPointer(bool busy) override;
  void ShowConnectionIndicator(int picture) override;
  void RefreshLiveViews() override;
  void RefreshPage(int page_id) override;
  void ShowDisconnected() override;
  void ShowPorts(const link::PortListing& listing) override;
  void MapWritten(int map, bool ok) override;
  void CalibrationRead() override;
  void Unload() override;
  void CloseOtherWindows() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  [[nodiscard]] QString Text(int k, const char* fallback) const;
  [[nodiscard]] QString MainText(int k, const char* fallback) const;
  void BuildMenus();
  void BuildStatusBar();
  void ShowCaptions();
  void ShowStatusValues();
  void RefreshEcuSummary();
  void UpdateActions();
  void OpenSwitchOverDialog();
  [[nodiscard]] CaptionTexts CurrentCaptionTexts() const;

  core::StartupState& state_;
  WindowRegistry windows_;
  int offset_ = 0;
  int main_offset_ = 0;
  int shown_page_ = -1;
  QListWidget* nav_;
  QStackedWidget* pages_;
  DashboardPage* dashboard_;
  ConnectionPage* connection_;
  QWidget* language_holder_;
  QLabel* language_label_;
  FrmKvxLanguage* language_page_;
  FrmKvxPortSearch* search_;
  ConnectionIcon* indicator_;
  QLabel* caption_label_;
  QLabel* port_label_;
  QLabel* rate_label_;
  QLabel* status_language_;
  QMenu* file_menu_ = nullptr;
  QMenu* pages_menu_ = nullptr;
  QMenu* ecu_menu_ = nullptr;
  std::array<QAction*, kNavigationPages.size()> page_actions_{};
  QAction* connect_action_ = nullptr;
  QAction* switch_over_action_ = nullptr;
  QAction* exit_action_ = nullptr;
  QTimer* timer1_;
  QTimer* timer2_;
  std::unique_ptr<FrmPrima> splash_;

  std::optional<SessionLinks> links_;
  std::unique_ptr<FrmEnterValue> enter_value_;
  std::unique_ptr<MapPages> map_pages_;
  bool selecting_ = false;  // SelezioneScheda moves the navigation list itself
  link::PortListing listing_;
  PollRateMeter poll_rate_;
  CaptionTexts session_captions_;  // the language the session was given
  SessionCaption title_;
  SessionCaption caption_;
  bool pages_enabled_ = true;
  bool has_live_values_ = false;
  bool busy_cursor_ = false;
  bool unloading_ = false;
  bool switch_over_dialog_ = false;  // the value entry dialog is open for it
};

}  // namespace velmora::ui
