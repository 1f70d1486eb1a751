#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/version.h"
#include "link/port_discovery.h"
#include "ui/card_frame.h"
#include "ui/card_painter.h"
#include "ui/connection_icon.h"
#include "ui/connection_page.h"
#include "ui/dashboard_page.h"
#include "ui/ecu_summary.h"
#include "ui/frm_enter_value.h"
#include "ui/frm_kvx_connected.h"
#include "ui/frm_kvx_language.h"
#include "ui/frm_kvx_port_search.h"
#include "ui/frm_prima.h"
#include "ui/generale_text.h"
#include "ui/language_font.h"
#include "ui/main_text.h"
#include "ui/map_pages.h"
#include "ui/page_codes.h"
#include "ui/switch_over_setting.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace st = core::session_state;
namespace gw = generale_window_text;

constexpr int kNavWidth = 210;
constexpr int kLanguageCardWidth = 640;
constexpr int kStatusIconSide = 20;
constexpr int kNoticeMs = 4000;
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;

QString Q(const std::string& s) {
  return QString::fromUtf8(s.c_str());
}

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool IsConnected(int state) {
  return state == st::kConnected || state == st::kOperation || state == st::kPostOperation;
}

int NavRowOf(int code) {
  const auto it = std::find(kNavigationPages.begin(), kNavigationPages.end(), code);
  return it == kNavigationPages.end() ? -1 : static_cast<int>(it - kNavigationPages.begin());
}

QString NavStyle() {
  return QStringLiteral(
             "QListWidget { background: %1; color: %2; border: none; outline: none;"
             " padding-top: 12px; }"
             "QListWidget::item { padding: 10px 18px; border-left: 3px solid transparent; }"
             "QListWidget::item:selected { background: %3; color: white;"
             " border-left: 3px solid %4; }"
             "QListWidget::item:hover:!selected { background: %5; }")
      .arg(Colour(palette::kLogoDeep).name(), Colour(palette::kAccentSoft).name(),
           Colour(palette::kAccent).name(), Colour(palette::kAccentSoft).name(),
           Colour(palette::kLogoDeep).lighter(130).name());
}

QLabel* MutedLabel(const char* name) {
  auto* l = new QLabel;
  l->setObjectName(name);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, Colour(palette::kTextMuted));
  l->setPalette(p);
  return l;
}

}  // namespace

CaptionTexts WindowCaptionTexts(const core::StartupState& state) {
  CaptionTexts t;
  t.texts = session::SessionTextsFrom(state.lingue);
  t.main_title = state.lingue.VoceDizionario(state.lingue.IdLingua(), 0);
  if (t.main_title.empty()) {
    t.main_title = state.main_title;
  }
  return t;
}

MainWindow::MainWindow(core::StartupState& state, QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      nav_(new QListWidget),
      pages_(new QStackedWidget),
      dashboard_(new DashboardPage(&state.lingue)),
      connection_(new ConnectionPage(&state.lingue)),
      language_holder_(new QWidget),
      language_label_(new QLabel),
      search_(new FrmKvxPortSearch(&state.lingue, this)),
      indicator_(new ConnectionIcon),
      caption_label_(new QLabel),
      port_label_(MutedLabel("LblPortaStato")),
      rate_label_(MutedLabel("LblFrequenza")),
      status_language_(MutedLabel("LblStatoLingua")),
      timer1_(new QTimer(this)),
      timer2_(new QTimer(this)) {
  setObjectName("FrmMain");
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Colour(palette::kWindow));
  setPalette(pal);

  auto* central = new QWidget;
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  nav_->setObjectName("LstPagine");
  nav_->setFixedWidth(kNavWidth);
  nav_->setStyleSheet(NavStyle());
  nav_->setFont(ScaledFont(*nav_, 1.1));
  for (std::size_t i = 0; i < kNavigationPages.size(); ++i) {
    nav_->addItem(QString());
  }
  row->addWidget(nav_);
  row->addWidget(pages_, 1);

  // Pages in the order of the navigation list.
  pages_->addWidget(dashboard_);
  language_page_ =
      new FrmKvxLanguage(state_.lingue, state_.main_title, [this] { windows_.RecaptionAll(); });
  // The language buttons on a card of a readable width, the language in
  // use above them.
  auto* lang_layout = new QVBoxLayout(language_holder_);
  lang_layout->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  lang_layout->setSpacing(spacing::kGap);
  language_label_->setObjectName("LblLingua");
  language_label_->setFont(ScaledFont(*language_label_, 1.2, true));
  auto* lang_card = new CardFrame;
  lang_card->setMaximumWidth(kLanguageCardWidth);
  lang_card->Body()->addWidget(language_page_);
  lang_layout->addWidget(language_label_);
  lang_layout->addWidget(lang_card);
  lang_layout->addStretch(1);
  pages_->addWidget(language_holder_);
  pages_->addWidget(connection_);
  setCentralWidget(central);

  timer1_->setObjectName("Timer1");
  timer1_->setInterval(static_cast<int>(session::session_timing::kTimer1IntervalMs));
  timer2_->setObjectName("Timer2");
  timer2_->setInterval(static_cast<int>(session::session_timing::kTimer2IntervalMs));

  BuildMenus();
  BuildStatusBar();
  connect(nav_, &QListWidget::currentRowChanged, this, [this](int r) {
    if (selecting_ || r < 0 || r >= static_cast<int>(kNavigationPages.size())) {
      return;
    }
    if (r >= kFixedPages && map_pages_) {
      SelezioneScheda(map_pages_->PageCodeFor(r - kFixedPages));
    } else {
      SelezioneScheda(kNavigationPages[static_cast<std::size_t>(r)]);
    }
  });
  resize(kWindowWidth, kWindowHeight);

  windows_.Add(this, this);
  windows_.Add(dashboard_, dashboard_);
  windows_.Add(connection_, connection_);
  windows_.Add(search_, search_);
  SelezioneScheda(page_code::kMainMenu);
  title_.which = session_caption::kMainTitle;
  CaricaLingua();
  UpdateActions();
}

MainWindow::~MainWindow() {
  timer1_->stop();
  timer2_->stop();
  windows_.Remove(this);
}

void MainWindow::BuildMenus() {
  file_menu_ = menuBar()->addMenu(QString());
  exit_action_ = file_menu_->addAction(QString(), this, [this] { close(); });
  exit_action_->setObjectName("ActEsci");
  exit_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  pages_menu_ = menuBar()->addMenu(QString());
  const std::array<QKeySequence, kNavigationPages.size()> keys = {
      QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::Key_F3),
      QKeySequence(Qt::Key_F5), QKeySequence(Qt::Key_F6),           QKeySequence(Qt::Key_F7)};
  for (std::size_t i = 0; i < kNavigationPages.size(); ++i) {
    const int row = static_cast<int>(i);
    page_actions_[i] = pages_menu_->addAction(QString(), this, [this, row] {
      // Through the list, so a map opens the view its flag chooses.
      if (nav_->currentRow() == row && row >= kFixedPages && map_pages_) {
        SelezioneScheda(map_pages_->PageCodeFor(row - kFixedPages));
      }
      nav_->setCurrentRow(row);
    });
    page_actions_[i]->setShortcut(keys[i]);
  }

  ecu_menu_ = menuBar()->addMenu(QString());
  connect_action_ = ecu_menu_->addAction(QString(), this, [this] {
    if (links_) {
      link::ToggleConnection(links_->flags);
    }
  });
  connect_action_->setObjectName("ActConnessione");
  connect_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  ecu_menu_->addSeparator();
  switch_over_action_ = ecu_menu_->addAction(QString(), this, [this] { OpenSwitchOverDialog(); });
  switch_over_action_->setObjectName("ActTempCommutazione");
  switch_over_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
}

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(true);
  indicator_->setObjectName("ImgConnessione");
  indicator_->setFixedSize(kStatusIconSide, kStatusIconSide);
  indicator_->SetOnClicked([this] {
    if (links_) {
      link::ToggleConnection(links_->flags);
    }
  });
  caption_label_->setObjectName("LblDidascalia");
  auto* left = new QWidget;
  auto* l = new QHBoxLayout(left);
  l->setContentsMargins(6, 0, 0, 0);
  l->setSpacing(8);
  l->addWidget(indicator_);
  l->addWidget(caption_label_, 1);
  bar->addWidget(left, 1);
  bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  for (QLabel* label : {port_label_, rate_label_, status_language_}) {
    label->setContentsMargins(10, 0, 10, 0);
  }
  bar->addPermanentWidget(port_label_);
  bar->addPermanentWidget(rate_label_);
  bar->addPermanentWidget(status_language_);
}

void MainWindow::AttachSession(const SessionLinks& links) {
  links_.emplace(links);
  session_captions_ = CurrentCaptionTexts();
  enter_value_ =
      std::make_unique<FrmEnterValue>(links.box, &state_.lingue, state_.version_text, this);
  enter_value_->SetOnDone([this](const pages::EnteredValue& r) {
    // The dialog is shared with the grids: only its own opening is ours.
    if (std::exchange(switch_over_dialog_, false)) {
      ApplySwitchOver(r);
    }
  });
  windows_.Add(enter_value_.get(), enter_value_.get());
  map_pages_ = std::make_unique<MapPages>(
      MapPagesLinks{links.session, links.image, links.table, links.box, state_.lingue,
                    links.coefficients, links.lng_dir, CurrentCaptionTexts().main_title},
      *enter_value_, [this](int code) { SelezioneScheda(code); }, this);
  for (const int code : kMapPageCodes) {
    QWidget* page = map_pages_->Widget(code);
    pages_->addWidget(page);
    if (auto* captioned = dynamic_cast<Captioned*>(page)) {
      windows_.Add(page, captioned);
    }
  }
  connect(timer1_, &QTimer::timeout, this, [this] { links_->session.Timer1_Timer(); });
  connect(timer2_, &QTimer::timeout, this, [this] { links_->session.Timer2_Timer(); });
  search_->SetOnStop([this] { links_->flags.timeout = true; });
  FrmKvxConnected* link_view = connection_->Link();
  link_view->SetOnPortChosen([this](std::size_t line) {
    (void)link::SelectPort(listing_, line, links_->port_com_file, links_->flags);
  });
  link_view->SetOnToggle([this] { link::ToggleConnection(links_->flags); });
  connection_->SetOnChangeSwitchOver([this] { OpenSwitchOverDialog(); });
  link_view->AggiornaStato(links_->flags.state);
  UpdateActions();
}

void MainWindow::Load(const QString* splash_picture) {
  if (splash_picture != nullptr && links_) {
    splash_ = std::make_unique<FrmPrima>(links_->clock, *splash_picture);
    // The splash never keeps the program running on its own.
    splash_->setAttribute(Qt::WA_QuitOnClose, false);
    splash_->Start();
  }
  SelezioneScheda(page_code::kMainMenu);
  if (!links_) {
    return;
  }
  links_->session.Start();
  timer1_->start();
  timer2_->start();
}

QString MainWindow::Text(int k, const char* fallback) const {
  const std::string t = offset_ > 0 ? state_.lingue.Testo(offset_, k) : std::string();
  return t.empty() ? QString::fromUtf8(fallback) : Q(t);
}

QString MainWindow::MainText(int k, const char* fallback) const {
  const std::string t = main_offset_ > 0 ? state_.lingue.Testo(main_offset_, k) : std::string();
  return t.empty() ? QString::fromUtf8(fallback) : Q(t);
}

CaptionTexts MainWindow::CurrentCaptionTexts() const {
  return WindowCaptionTexts(state_);
}

void MainWindow::SelezioneScheda(int code) {
  int row = NavRowOf(code);
  int stack = row;
  if (const int slot = MapPageSlot(code); slot >= 0) {
    if (!map_pages_) {
      return;
    }
    row = kFixedPages + slot % kMapCount;
    stack = kFixedPages + slot;
  }
  if (row < 0) {
    return;
  }
  shown_page_ = code;
  if (map_pages_) {
    map_pages_->Show(code);
  }
  pages_->setCurrentIndex(stack);
  if (nav_->currentRow() != row) {
    selecting_ = true;
    nav_->setCurrentRow(row);
    selecting_ = false;
  }
  if (links_) {
    links_->session.SetShownPage(code);
  }
}

void MainWindow::CaricaLingua() {
  auto& lingue = state_.lingue;
  if (links_) {
    // The session speaks the new language from now on, and its captions are
    // recognised in that language.
    links_->session.SetTexts(session::SessionTextsFrom(lingue));
    session_captions_ = CurrentCaptionTexts();
  }
  offset_ = lingue.MarkerOffset(generale_text::kMarker);
  main_offset_ = lingue.MarkerOffset(main_text::kMarker);
  const int id = lingue.IdLingua();
  const QString language_name = Q(lingue.NomeLingua(id));
  language_label_->setText(Text(gw::kLanguageLabel, "Language") + ": " + language_name);
  status_language_->setText(language_name);

  const int matrix = lingue.MarkerOffset(maps::matrix_text::kMarker);
  const auto matrix_text = [&](int k, const char* fallback) {
    const std::string t = matrix > 0 ? lingue.Testo(matrix, k) : std::string();
    return t.empty() ? QString::fromUtf8(fallback) : Q(t);
  };
  const std::array<QString, kNavigationPages.size()> names = {
      Text(gw::kNavStatus, "ECU status"),
      Text(gw::kNavLanguage, "Language"),
      MainText(main_text::kConnection, "Connection"),
      matrix_text(maps::matrix_text::kMapEntries, "Map 1 - base"),
      matrix_text(maps::matrix_text::kMapEntries + 1, "Map 2 - adaptive"),
      matrix_text(maps::matrix_text::kMapEntries + 2, "Map 3 - pressure")};
  for (std::size_t i = 0; i < names.size(); ++i) {
    nav_->item(static_cast<int>(i))->setText(names[i]);
    page_actions_[i]->setText(names[i]);
  }
  file_menu_->setTitle(MainText(main_text::kFileMenu, "&File"));
  pages_menu_->setTitle(MainText(main_text::kPagesMenu, "&Pages"));
  ecu_menu_->setTitle(MainText(main_text::kEcuMenu, "&ECU"));
  exit_action_->setText(Text(gw::kExit, "Exit"));
  switch_over_action_->setText(
      MainText(main_text::kSwitchOverAction, "Switch-over temperature..."));
  ShowCaptions();
  UpdateActions();
  ShowStatusValues();
  ApplyLanguageFont(this, lingue.CharsetLingua(id));
}

void MainWindow::ShowCaptions() {
  const CaptionTexts texts = CurrentCaptionTexts();
  setWindowTitle(Q(RenderCaption(texts, title_)) + Q(state_.version_text));
  caption_label_->setText(Q(RenderCaption(texts, caption_)));
}

void MainWindow::ShowTitle(std::string_view text) {
  title_ = RecogniseCaption(session_captions_, text);
  ShowCaptions();
}

void MainWindow::ShowCaption(std::string_view text) {
  caption_ = RecogniseCaption(session_captions_, text);
  ShowCaptions();
  if (const auto port = CaptionPort(caption_)) {
    search_->SetPort(*port);
  }
}

void MainWindow::ShowNotice(std::string_view text) {
  statusBar()->showMessage(Q(text), kNoticeMs);
}

void MainWindow::StateChanged(int from, int to) {
  connection_->Link()->AggiornaStato(to, indicator_->Picture());
  if (to == st::kSearching && !search_->Running()) {
    search_->SetPort(-1);
    search_->Start();
  } else if (from == st::kSearching && to != st::kSearching) {
    search_->Finish();
  }
  if (!IsConnected(to)) {
    poll_rate_.Reset();
  }
  if (IsConnected(to) && links_) {
    if (const auto line = link::FindPort(listing_.ports, links_->session.ConnectedPort())) {
      connection_->Link()->MostraPorta(static_cast<int>(*line));
    }
  }
  if (to == st::kSearching && !has_live_values_) {
    dashboard_->Clear();
  }
  UpdateActions();
  ShowStatusValues();
  RefreshEcuSummary();
}

void MainWindow::EnablePages(bool enable) {
  pages_enabled_ = enable;
  if (map_pages_) {
    map_pages_->SetEnabled(enable);
  }
  UpdateActions();
}

void MainWindow::EnableTimer2(bool enable) {
  if (!links_) {
    return;
  }
  if (enable) {
    timer2_->start();
  } else {
    timer2_->stop();
  }
}

void MainWindow::SetBusyPointer(bool busy) {
  if (busy == busy_cursor_) {
    return;
  }
  busy_cursor_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void MainWindow::ShowConnectionIndicator(int picture) {
  indicator_->SetPicture(picture);
  if (links_) {
    connection_->Link()->AggiornaStato(links_->flags.state, picture);
  }
}

void MainWindow::RefreshLiveViews() {
  if (!links_) {
    return;
  }
  poll_rate_.Add(links_->clock.NowMicros(), links_->session.PollCount());
  if (IsConnected(links_->flags.state)) {
    const link::MessageTable& table = links_->table;
    dashboard_->Refresh([&table](int entry, int field) {
      if (entry < 0 || field < 0) {
        return 0;
      }
      return static_cast<int>(
          table.Shown(static_cast<std::size_t>(entry), static_cast<std::size_t>(field)));
    });
    has_live_values_ = true;
    if (map_pages_ && MapPageSlot(shown_page_) >= 0) {
      map_pages_->Tick(shown_page_);
    }
  }
  ShowStatusValues();
  RefreshEcuSummary();
}

void MainWindow::RefreshPage(int page_id) {
  if (page_id == page_code::kMainMenu) {
    RefreshEcuSummary();
  } else if (map_pages_ && MapPageSlot(page_id) >= 0) {
    map_pages_->Tick(page_id);
  }
}

void MainWindow::MapWritten(int map, bool ok) {
  if (map_pages_) {
    map_pages_->MapWritten(map, ok);
  }
}

void MainWindow::CalibrationRead() {
  if (map_pages_) {
    map_pages_->CalibrationRead();
  }
}

void MainWindow::ShowDisconnected() {
  // The dashboard keeps the last values read; the status says they are old.
  ShowStatusValues();
  RefreshEcuSummary();
}

void MainWindow::ShowPorts(const link::PortListing& listing) {
  listing_ = listing;
  connection_->Link()->ElencaPorte(listing_);
}

void MainWindow::Unload() {
  unloading_ = true;
  close();
}

void MainWindow::CloseOtherWindows() {
  search_->Finish();
  if (enter_value_ != nullptr && enter_value_->isVisible()) {
    enter_value_->close();
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
  timer1_->stop();
  timer2_->stop();
  SetBusyPointer(false);
  event->accept();
}

void MainWindow::ShowStatusValues() {
  const int state = links_ ? links_->flags.state : st::kDisconnected;
  const bool connected = IsConnected(state);
  const int port = links_ ? links_->session.ConnectedPort() : -1;
  port_label_->setText(connected && port >= 0 ? QStringLiteral("COM%1").arg(port)
                                              : QStringLiteral("COM -"));
  const QString unit = MainText(main_text::kPollsPerSecond, "polls/s");
  rate_label_->setText(connected
                           ? QStringLiteral("%1 %2").arg(poll_rate_.Rate(), 0, 'f', 1).arg(unit)
                           : QStringLiteral("- %1").arg(unit));
  connect_action_->setText(state == st::kDisconnected || state == st::kDisconnectedAlt
                               ? Text(gw::kConnect, "Connect")
                               : Text(gw::kDisconnect, "Disconnect"));
}

void MainWindow::RefreshEcuSummary() {
  if (!links_) {
    return;
  }
  const link::MessageTable& table = links_->table;
  const bool read = !table.LastAnswer(switch_over_setting::kEntry).empty();
  const bool connected = IsConnected(links_->flags.state);
  connection_->ShowEcu(
      MakeEcuSummary(table.LastAnswer(session::session_entry::kIdentity),
                     connected ? links_->session.Generation() : -1,
                     connected ? links_->session.ConnectedPort() : -1,
                     read ? std::optional<std::int32_t>(table.Value(switch_over_setting::kEntry,
                                                                    switch_over_setting::kField))
                          : std::nullopt));
}

void MainWindow::UpdateActions() {
  const bool can_write = links_ && pages_enabled_ && links_->flags.state == st::kConnected;
  switch_over_action_->setEnabled(can_write);
  connection_->SetSwitchOverEnabled(can_write);
  connect_action_->setEnabled(links_.has_value());
}

void MainWindow::OpenSwitchOverDialog() {
  if (!links_ || enter_value_ == nullptr || !switch_over_action_->isEnabled()) {
    return;
  }
  const std::int32_t current =
      links_->table.Value(switch_over_setting::kEntry, switch_over_setting::kField);
  enter_value_->SistemaSoglie(SwitchOverLimits());
  enter_value_->SelectOption(pages::value_option::kSet);
  enter_value_->Prepare();
  enter_value_->ValueBox()->setText(QString::number(current));
  enter_value_->ValueBox()->selectAll();
  switch_over_dialog_ = true;
  enter_value_->open();
}

void MainWindow::ApplySwitchOver(const pages::EnteredValue& result) {
  if (!links_) {
    return;
  }
  const std::int32_t current =
      links_->table.Value(switch_over_setting::kEntry, switch_over_setting::kField);
  const auto target = SwitchOverTarget(current, result);
  if (!target) {
    return;
  }
  if (PostSwitchOverTemperature(links_->session, *target) == PostOutcome::kBusy) {
    links_->box.Show(MainText(main_text::kBusy, "Another operation is in progress").toStdString(),
                     session::SessionTextsFrom(state_.lingue).caption,
                     platform::BoxKind::Exclamation);
  }
}

}  // namespace velmora::ui
