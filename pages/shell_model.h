#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/dictionary.h"
#include "pages/page_services.h"
#include "pages/poll_rate.h"
#include "pages/session_caption.h"
#include "pages/value_entry.h"

namespace velmora::pages {

// The main window's own texts in the chosen language; a dictionary without
// them keeps these.
struct ShellTexts {
  std::string file_menu = "&File";
  std::string pages_menu = "&Pages";
  std::string ecu_menu = "&ECU";
  std::string exit = "Exit";
  std::string switch_over_action = "Switch-over temperature...";
  std::string connect = "Connect";
  std::string disconnect = "Disconnect";
  std::string polls_per_second = "polls/s";
  std::string language_label = "Language";
  std::string busy = "Another operation is in progress";
};

[[nodiscard]] ShellTexts ShellTextsFrom(const core::ClsLingue& lingue);

using core::IsConnectedState;

// What a change of the session's state starts and stops in the window.
struct StateActions {
  bool start_search = false;      // the search window comes up, no port named yet
  bool finish_search = false;     // the search window goes
  bool reset_poll_rate = false;   // a rate measured on a connection gone is void
  bool show_port = false;         // the port selector shows the connected port
  bool clear_live_views = false;  // nothing live was ever read: the dashboard shows dashes
  bool operator==(const StateActions&) const = default;
};

// The status bar's port and poll rate and the connect action's text.
struct StatusTexts {
  std::string port;
  std::string rate;
  std::string connect_action;
  bool operator==(const StatusTexts&) const = default;
};

// The value entry dialog as the switch-over temperature opens it.
struct SwitchOverPrompt {
  Limits limits;
  int option = value_option::kSet;
  std::string value_text;
};

// The main window's decisions without its widgets: what a state change
// starts and stops, the poll rate and the status texts, the session's
// captions across a language change, when the ECU may be written, and the
// switch-over temperature's dialog.
class ShellModel {
 public:
  // `search_running`: the search window is up already.
  [[nodiscard]] StateActions StateChanged(int from, int to, bool search_running);
  // A tick of the user-interface timer: the session's poll counter read at
  // `now_us`; while `connected` the live views read values.
  void LiveTick(std::int64_t now_us, std::int64_t polls, bool connected);
  [[nodiscard]] double PollRate() const { return poll_rate_.Rate(); }
  // `port` is the connected COM number, -1 for none.
  [[nodiscard]] StatusTexts Status(int state, int port, const ShellTexts& texts) const;

  void SetPagesEnabled(bool enable) { pages_enabled_ = enable; }
  // The ECU takes writes: a session, the pages enabled, state 2.
  [[nodiscard]] bool CanWrite(bool attached, int state) const;

  // The language the session was given: its titles and captions are
  // recognised in it.
  void SetSessionTexts(CaptionTexts texts) { session_texts_ = std::move(texts); }
  void ShowTitle(std::string_view text);
  // The COM number the caption names, if any.
  [[nodiscard]] std::optional<int> ShowCaption(std::string_view text);
  // The title and caption shown last, in the language of `now`.
  [[nodiscard]] std::string Title(const CaptionTexts& now) const;
  [[nodiscard]] std::string Caption(const CaptionTexts& now) const;

  // The dialog for the switch-over temperature; none when the ECU cannot be
  // written now. `current` is the temperature block 3 holds.
  [[nodiscard]] std::optional<SwitchOverPrompt> OpenSwitchOver(bool can_write,
                                                               std::int32_t current);
  // The shared value entry dialog's answer: taken only when the dialog was
  // opened for the switch-over temperature. The text of a box to show when
  // the session was busy.
  [[nodiscard]] std::optional<std::string> AnswerSwitchOver(const EnteredValue& result,
                                                            std::int32_t current,
                                                            PageSession& session, int state,
                                                            const ShellTexts& texts);

 private:
  PollRateMeter poll_rate_;
  bool has_live_values_ = false;
  bool pages_enabled_ = true;
  bool switch_over_open_ = false;
  CaptionTexts session_texts_;
  SessionCaption title_{session_caption::kMainTitle, {}, {}};
  SessionCaption caption_;
};

}  // namespace velmora::pages
