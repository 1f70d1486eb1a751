#include "pages/shell_model.h"

#include <utility>

#include "core/gauge_geometry.h"
#include "core/session_flags.h"
#include "core/text_block.h"
#include "pages/shell_texts.h"
#include "pages/switch_over_setting.h"

namespace velmora::pages {

namespace st = core::session_state;

ShellTexts ShellTextsFrom(const core::ClsLingue& lingue) {
  namespace m = main_text;
  namespace g = generale_window_text;
  ShellTexts t;
  const core::TextBlock main(lingue, m::kMarker);
  main.Take(m::kFileMenu, t.file_menu);
  main.Take(m::kPagesMenu, t.pages_menu);
  main.Take(m::kEcuMenu, t.ecu_menu);
  main.Take(m::kSwitchOverAction, t.switch_over_action);
  main.Take(m::kPollsPerSecond, t.polls_per_second);
  main.Take(m::kBusy, t.busy);
  const core::TextBlock general(lingue, g::kMarker);
  general.Take(g::kExit, t.exit);
  general.Take(g::kConnect, t.connect);
  general.Take(g::kDisconnect, t.disconnect);
  general.Take(g::kLanguageLabel, t.language_label);
  return t;
}

StateActions ShellModel::StateChanged(int from, int to, bool search_running) {
  StateActions a;
  a.start_search = to == st::kSearching && !search_running;
  a.finish_search = from == st::kSearching && to != st::kSearching;
  a.reset_poll_rate = !IsConnectedState(to);
  a.show_port = IsConnectedState(to);
  a.clear_live_views = to == st::kSearching && !has_live_values_;
  if (a.reset_poll_rate) {
    poll_rate_.Reset();
  }
  return a;
}

void ShellModel::LiveTick(std::int64_t now_us, std::int64_t polls, bool connected) {
  poll_rate_.Add(now_us, polls);
  has_live_values_ = has_live_values_ || connected;
}

StatusTexts ShellModel::Status(int state, int port, const ShellTexts& texts) const {
  const bool connected = IsConnectedState(state);
  StatusTexts s;
  s.port = connected && port >= 0 ? "COM" + std::to_string(port) : "COM -";
  s.rate = (connected ? core::FormatFixed(poll_rate_.Rate(), 1) : std::string("-")) + " " +
           texts.polls_per_second;
  s.connect_action = state == st::kDisconnected || state == st::kDisconnectedAlt ? texts.connect
                                                                                 : texts.disconnect;
  return s;
}

bool ShellModel::CanWrite(bool attached, int state) const {
  return attached && pages_enabled_ && state == st::kConnected;
}

void ShellModel::ShowTitle(std::string_view text) {
  title_ = RecogniseCaption(session_texts_, text);
}

std::optional<int> ShellModel::ShowCaption(std::string_view text) {
  caption_ = RecogniseCaption(session_texts_, text);
  return CaptionPort(caption_);
}

std::string ShellModel::Title(const CaptionTexts& now) const {
  return RenderCaption(now, title_);
}

std::string ShellModel::Caption(const CaptionTexts& now) const {
  return RenderCaption(now, caption_);
}

std::optional<SwitchOverPrompt> ShellModel::OpenSwitchOver(bool can_write, std::int32_t current) {
  if (!can_write) {
    return std::nullopt;
  }
  switch_over_open_ = true;
  return SwitchOverPrompt{SwitchOverLimits(), value_option::kSet, std::to_string(current)};
}

std::optional<std::string> ShellModel::AnswerSwitchOver(const EnteredValue& result,
                                                        std::int32_t current, PageSession& session,
                                                        int state, const ShellTexts& texts) {
  if (!std::exchange(switch_over_open_, false)) {
    return std::nullopt;  // the grids' use of the shared dialog
  }
  const auto target = SwitchOverTarget(current, result);
  if (!target || PostSwitchOverTemperature(session, state, *target) != PostOutcome::kBusy) {
    return std::nullopt;
  }
  return texts.busy;
}

}  // namespace velmora::pages
