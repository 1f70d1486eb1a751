#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calib/calibration_image.h"
#include "calib/coefficient_file.h"
#include "core/session_flags.h"
#include "core/startup.h"
#include "link/message_table.h"
#include "link/port_discovery.h"
#include "pages/page_registry.h"
#include "pages/shell_model.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "session/session.h"
#include "ui/main_chrome.h"
#include "ui/page_navigator.h"
#include "ui/page_view.h"
#include "ui/page_window_services.h"
#include "ui/session_timers.h"
#include "ui/window_registry.h"

class QAction;

namespace velmora::ui {

class ConnectionPage;
class DashboardPage;
class FileMenu;
class FrmEnterValue;
class FrmKvxPortSearch;
class FrmPrima;

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
  const firmware::FirmwareLinks* firmware = nullptr;  // may be null
  const tuning::TuningLinks* tuning = nullptr;        // may be null
};

// The workstation's main window: navigation on the left, pages on the right,
// the connection indicator, the port and the achieved poll rate in the status
// bar. The pages, their navigation rows, menu entries and shortcuts come from
// a page table. It is the session's host: the session tells it what to show,
// and its two timers drive the session.
class MainWindow : public QMainWindow,
                   public Captioned,
                   public session::SessionHost,
                   public ShellActions {
  Q_OBJECT
 public:
  explicit MainWindow(core::StartupState& state,
                      std::span<const WorkstationPage> pages = WorkstationPages(),
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  // Makes the pages' models and views over `links`.
  void AttachPages(const PageLinks& links);
  // Connects the window to the session and makes the pages; the timers
  // start with Load.
  void AttachSession(const SessionLinks& links);
  // The end of the window's loading: the splash (when `splash_picture` is
  // not null; an empty path draws the logo), the start page, the ECU-lost
  // flag, then Timer1 and Timer2.
  void Load(const QString* splash_picture);

  void CaricaLingua() override;
  // Shows the page with this code; a code without a page changes nothing.
  void SelezioneScheda(int code);
  [[nodiscard]] int ShownPage() const { return shown_page_; }

  [[nodiscard]] const pages::PageRegistry& Pages() const { return navigator_->Registry(); }
  // The view of a page; null before AttachPages or for an unknown code.
  [[nodiscard]] QWidget* PageWidget(int code) const { return navigator_->Widget(code); }
  template <class View>
  [[nodiscard]] View* Page(int code) const {
    return dynamic_cast<View*>(PageWidget(code));
  }
  [[nodiscard]] DashboardPage* Dashboard() const;
  [[nodiscard]] ConnectionPage* Connection() const;
  [[nodiscard]] FrmKvxPortSearch* SearchWindow() const { return search_; }
  // The page services and the value entry dialog; null before AttachPages.
  [[nodiscard]] PageWindowServices* Services() const { return services_.get(); }
  [[nodiscard]] FrmEnterValue* EnterValue() const;
  [[nodiscard]] QAction* SwitchOverAction() const { return chrome_->SwitchOverAction(); }
  // The File menu's calibration actions.
  [[nodiscard]] FileMenu* Files() const { return chrome_->Files(); }
  [[nodiscard]] QAction* PageAction(std::size_t row) const { return navigator_->RowAction(row); }
  [[nodiscard]] double PollRate() const { return shell_.PollRate(); }

  // ShellActions
  void RecaptionAll() override { windows_.RecaptionAll(); }
  void ToggleConnection() override;
  void ChoosePort(const link::PortListing& listing, std::size_t line) override;
  void OpenSwitchOverDialog() override;

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
  void RefreshObdPage() override { navigator_->RefreshPage(session::page_id::kObd); }
  void ShowDisconnected() override;
  void ShowPorts(const link::PortListing& listing) override;
  void MapWritten(int map, bool ok) override;
  void CalibrationRead() override;
  void Unload() override;
  void CloseOtherWindows() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowCaptions();
  void ShowStatusValues();
  [[nodiscard]] pages::CaptionTexts Captions() const {
    return pages::CaptionTextsFrom(state_.lingue, state_.main_title);
  }
  void RefreshEcuSummary();
  void UpdateActions();
  void AnswerSwitchOver(const pages::EnteredValue& result);
  [[nodiscard]] int State() const {
    return links_ ? links_->flags.state : core::session_state::kDisconnected;
  }
  [[nodiscard]] std::int32_t SwitchOverValue() const;

  core::StartupState& state_;
  // What the page models use outlives them.
  std::unique_ptr<pages::SessionPageSession> session_pages_;
  pages::PageSession* page_session_ = nullptr;
  std::unique_ptr<PageWindowServices> services_;
  std::unique_ptr<PageNavigator> navigator_;
  pages::ShellModel shell_;
  pages::ShellTexts texts_;
  WindowRegistry windows_;
  int shown_page_ = -1;
  FrmKvxPortSearch* search_;
  std::unique_ptr<MainChrome> chrome_;
  SessionTimers timers_;
  std::unique_ptr<FrmPrima> splash_;

  std::optional<SessionLinks> links_;
  bool busy_cursor_ = false;
  bool unloading_ = false;
};

}  // namespace velmora::ui
