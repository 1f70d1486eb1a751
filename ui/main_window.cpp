#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QStatusBar>

#include "pages/ecu_summary.h"
#include "pages/page_codes.h"
#include "pages/switch_over_setting.h"
#include "ui/connection_icon.h"
#include "ui/connection_page.h"
#include "ui/dashboard_page.h"
#include "ui/frm_enter_value.h"
#include "ui/frm_kvx_connected.h"
#include "ui/frm_kvx_port_search.h"
#include "ui/frm_prima.h"
#include "ui/language_font.h"
#include "ui/qt_text.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace sw = pages::switch_over_setting;

constexpr int kNoticeMs = 4000;
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;

}  // namespace

MainWindow::MainWindow(core::StartupState& state, std::span<const WorkstationPage> pages,
                       QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      navigator_(
          std::make_unique<PageNavigator>(pages, [this](int code) { SelezioneScheda(code); })),
      search_(new FrmKvxPortSearch(&state.lingue, this)),
      timers_(this) {
  setObjectName("FrmMain");
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Colour(palette::kWindow));
  setPalette(pal);
  setCentralWidget(navigator_->TakeWidget());
  chrome_ = std::make_unique<MainChrome>(
      *this, *navigator_,
      ChromeActions{[this] { close(); }, [this] { ToggleConnection(); },
                    [this] { OpenSwitchOverDialog(); }});
  resize(kWindowWidth, kWindowHeight);
  windows_.Add(this, this);
  windows_.Add(search_, search_);
  CaricaLingua();
  UpdateActions();
}

MainWindow::~MainWindow() {
  timers_.Stop();
  windows_.Remove(this);
}

void MainWindow::AttachPages(const PageLinks& links) {
  page_session_ = &links.session;
  services_ = std::make_unique<PageWindowServices>(
      links, state_.version_text, [this](int code) { SelezioneScheda(code); }, this);
  services_->SetRefreshPage([this](int code) { navigator_->RefreshPage(code); });
  // The dialog is shared with the pages: the shell takes only its own use.
  services_->EnterValue().SetOnDone([this](const pages::EnteredValue& r) { AnswerSwitchOver(r); });
  windows_.Add(&services_->EnterValue(), &services_->EnterValue());
  navigator_->MakePages({services_->Env(), services_->MapEnv(), links.firmware, links.tuning},
                        {state_, *this}, windows_);
  SelezioneScheda(shown_page_ >= 0 ? shown_page_ : pages::page_code::kMainMenu);
  UpdateActions();
}

void MainWindow::AttachSession(const SessionLinks& links) {
  links_.emplace(links);
  shell_.SetSessionTexts(Captions());
  session_pages_ = std::make_unique<pages::SessionPageSession>(links.session);
  AttachPages(PageLinks{links.image, links.table, *session_pages_, links.session.Requests(),
                        links.box, links.clock, state_.lingue, state_.paths, links.coefficients,
                        links.lng_dir, Captions().main_title, &state_.scale, links.firmware,
                        links.tuning});
  chrome_->AttachFiles(services_->Env(), links.port_com_file, [this] { ShowCaptions(); });
  timers_.Drive(links.session);
  search_->SetOnStop([this] { links_->flags.timeout = true; });
  UpdateActions();
}

void MainWindow::Load(const QString* splash_picture) {
  if (splash_picture != nullptr && links_) {
    splash_ = std::make_unique<FrmPrima>(links_->clock, *splash_picture);
    // The splash never keeps the program running on its own.
    splash_->setAttribute(Qt::WA_QuitOnClose, false);
    splash_->Start();
  }
  SelezioneScheda(pages::page_code::kMainMenu);
  if (!links_) {
    return;
  }
  links_->session.Start();
  timers_.Start();
}

FrmEnterValue* MainWindow::EnterValue() const {
  return services_ != nullptr ? &services_->EnterValue() : nullptr;
}

DashboardPage* MainWindow::Dashboard() const {
  return Page<DashboardPage>(pages::page_code::kMainMenu);
}

ConnectionPage* MainWindow::Connection() const {
  return Page<ConnectionPage>(pages::page_code::kConnection);
}

void MainWindow::SelezioneScheda(int code) {
  if (!navigator_->Show(code)) {
    return;
  }
  shown_page_ = code;
  if (links_) {
    links_->session.SetShownPage(code);
  }
}

void MainWindow::CaricaLingua() {
  const auto& lingue = state_.lingue;
  if (links_) {
    // The session speaks the new language from now on, and its captions are
    // recognised in that language.
    links_->session.SetTexts(session::SessionTextsFrom(lingue));
    shell_.SetSessionTexts(Captions());
  }
  texts_ = pages::ShellTextsFrom(lingue);
  chrome_->CaricaLingua(texts_, Q(lingue.NomeLingua(lingue.IdLingua())));
  navigator_->CaricaLingua(lingue);
  ShowCaptions();
  UpdateActions();
  ShowStatusValues();
  ApplyLanguageFont(this, lingue.CharsetLingua(lingue.IdLingua()));
}

void MainWindow::ShowCaptions() {
  const pages::CaptionTexts now = Captions();
  setWindowTitle(Q(shell_.Title(now)) + Q(state_.version_text) + chrome_->FileTitle());
  chrome_->ShowCaption(Q(shell_.Caption(now)));
}

void MainWindow::ShowTitle(std::string_view text) {
  shell_.ShowTitle(text);
  ShowCaptions();
}

void MainWindow::ShowCaption(std::string_view text) {
  const auto port = shell_.ShowCaption(text);
  ShowCaptions();
  if (port) {
    search_->SetPort(*port);
  }
}

void MainWindow::ShowNotice(std::string_view text) {
  statusBar()->showMessage(Q(text), kNoticeMs);
}

void MainWindow::StateChanged(int from, int to) {
  ConnectionPage* connection = Connection();
  if (connection != nullptr) {
    connection->Link()->AggiornaStato(to, chrome_->Indicator()->Picture());
  }
  const pages::StateActions act = shell_.StateChanged(from, to, search_->Running());
  if (act.start_search) {
    search_->SetPort(-1);
    search_->Start();
  }
  if (act.finish_search) {
    search_->Finish();
  }
  if (act.show_port && links_ && connection != nullptr) {
    connection->Link()->MostraPortaCom(links_->session.ConnectedPort());
  }
  if (act.clear_live_views) {
    navigator_->RefreshPage(pages::page_code::kMainMenu);
  }
  UpdateActions();
  ShowStatusValues();
  RefreshEcuSummary();
}

void MainWindow::EnablePages(bool enable) {
  shell_.SetPagesEnabled(enable);
  navigator_->SetEnabled(enable);
  UpdateActions();
}

void MainWindow::EnableTimer2(bool enable) {
  if (links_) {
    timers_.EnableTimer2(enable);
  }
}

void MainWindow::SetBusyPointer(bool busy) {
  if (busy == std::exchange(busy_cursor_, busy)) {
    return;
  }
  busy ? QApplication::setOverrideCursor(Qt::WaitCursor) : QApplication::restoreOverrideCursor();
}

void MainWindow::ShowConnectionIndicator(int picture) {
  chrome_->Indicator()->SetPicture(picture);
  if (ConnectionPage* connection = Connection(); connection != nullptr && links_) {
    connection->Link()->AggiornaStato(links_->flags.state, picture);
  }
}

void MainWindow::RefreshLiveViews() {
  if (!links_) {
    return;
  }
  const bool connected = pages::IsConnectedState(links_->flags.state);
  shell_.LiveTick(links_->clock.NowMicros(), links_->session.PollCount(), connected);
  if (connected) {
    navigator_->LiveTick(shown_page_);
  }
  ShowStatusValues();
  RefreshEcuSummary();
}

void MainWindow::RefreshPage(int page_id) {
  navigator_->RefreshPage(page_id);
  RefreshEcuSummary();
}

void MainWindow::MapWritten(int map, bool ok) {
  navigator_->MapWritten(map, ok);
}

void MainWindow::CalibrationRead() {
  navigator_->CalibrationRead();
}

void MainWindow::ShowDisconnected() {
  // The pages keep the last values read; the status says they are old.
  ShowStatusValues();
  RefreshEcuSummary();
}

void MainWindow::ShowPorts(const link::PortListing& listing) {
  if (ConnectionPage* connection = Connection()) {
    connection->Link()->ElencaPorte(listing);
  }
}

void MainWindow::Unload() {
  unloading_ = true;
  close();
}

void MainWindow::CloseOtherWindows() {
  // The logger's traffic log is closed with the pages.
  navigator_->Registry().Closing();
  search_->Finish();
  if (services_ != nullptr) {
    services_->CloseDialogs();
  }
  if (splash_ != nullptr) {
    splash_->close();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  const bool from_code = std::exchange(unloading_, false);
  if (!links_) {
    event->accept();
    return;
  }
  // Closing by the window's own controls goes through the session, which
  // closes from code on its next tick once any exchange has finished.
  const auto mode = from_code ? session::UnloadMode::kFromCode : session::UnloadMode::kControlMenu;
  if (links_->session.QueryUnload(mode)) {
    event->ignore();
    return;
  }
  timers_.Stop();
  SetBusyPointer(false);
  event->accept();
}

void MainWindow::ShowStatusValues() {
  chrome_->ShowStatus(
      shell_.Status(State(), links_ ? links_->session.ConnectedPort() : -1, texts_));
}

void MainWindow::RefreshEcuSummary() {
  if (ConnectionPage* connection = Connection(); connection != nullptr && links_) {
    const session::Session& session = links_->session;
    connection->ShowEcu(pages::EcuSummaryOf(links_->table, pages::IsConnectedState(State()),
                                            session.Generation(), session.ConnectedPort()));
  }
}

void MainWindow::UpdateActions() {
  const bool can_write = shell_.CanWrite(links_.has_value(), State());
  chrome_->SwitchOverAction()->setEnabled(can_write);
  if (ConnectionPage* connection = Connection()) {
    connection->SetSwitchOverEnabled(can_write);
  }
  chrome_->ConnectAction()->setEnabled(links_.has_value());
}

void MainWindow::ToggleConnection() {
  if (links_) {
    link::ToggleConnection(links_->flags);
  }
}

void MainWindow::ChoosePort(const link::PortListing& listing, std::size_t line) {
  if (links_) {
    (void)link::SelectPort(listing, line, links_->port_com_file, links_->flags);
  }
}

std::int32_t MainWindow::SwitchOverValue() const {
  return links_ ? links_->table.Value(sw::kEntry, sw::kField) : 0;
}

void MainWindow::OpenSwitchOverDialog() {
  const bool can_write = services_ != nullptr && chrome_->SwitchOverAction()->isEnabled();
  if (const auto prompt = shell_.OpenSwitchOver(can_write, SwitchOverValue())) {
    services_->OfferValue(prompt->limits, prompt->option, prompt->value_text);
  }
}

void MainWindow::AnswerSwitchOver(const pages::EnteredValue& result) {
  if (!links_ || page_session_ == nullptr) {
    return;
  }
  if (const auto busy =
          shell_.AnswerSwitchOver(result, SwitchOverValue(), *page_session_, State(), texts_)) {
    links_->box.Show(*busy, session::SessionTextsFrom(state_.lingue).caption,
                     platform::BoxKind::Exclamation);
  }
}

}  // namespace velmora::ui
