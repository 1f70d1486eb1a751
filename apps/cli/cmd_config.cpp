#include "apps/cli/cmd_config.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "core/text.h"
#include "maps/frm_compensa.h"
#include "pages/frm_kvx_commutazione.h"
#include "pages/switch_over_combos.h"
#include "session/request_codes.h"

namespace velmora::cli {

namespace {

namespace cp = maps::compensation;
constexpr std::chrono::seconds kWriteLimit{60};
constexpr std::string_view kFactorOption = "--factor";

// The switch-over page's combo boxes by the names of their controls.
constexpr std::array<std::string_view, pages::sw_combo::kCount> kComboNames = {
    "CmbSwtchRpm",      "CmbSwtchIsteresi", "CmbSwtchTemp", "CMB_defCicliRpm",   "CmbSwtchForce",
    "CmbSwitchSovrap",  "CmbTempoSeqInj",   "CmbNumBobine", "CmbTempoAutoCalda", "CmbFattorex1x2",
    "CmbSogliaTensRpm", "CmbFiloRpm",       "CmbswitchDir", "CmbServizi",        "CmbTipoAlim",
    "CmbEmergenza",     "cmb_spark",        "cmbstartstop", "CmbNumCilindri",    "CmbConfSistema",
    "CmbConfSistemaId", "CmbTipoInj"};

constexpr std::array<std::string_view, cp::kKinds> kKindNames = {
    "gas-temperature", "reducer-temperature", "gas-pressure", "petrol-pressure", "lean-out"};

// A window for pages run without one: the value entry is cancelled, the
// beeps are kept.
class NoWindow final : public pages::PageWindow {
 public:
  [[nodiscard]] pages::EnteredValue AskValue(const pages::Limits& /*limits*/,
                                             int /*option*/) override {
    return {pages::value_op::kCancelled, 0};
  }
  void Beep(int hertz, int /*milliseconds*/) override { last_beep = hertz; }
  void SelezioneScheda(int /*page_code*/) override {}
  int last_beep = 0;
};

// The page environment over the headless workstation.
struct PageLinks {
  explicit PageLinks(HeadlessWorkstation& ws)
      : session(ws.Session()), env{ws.Image(),  ws.Table(),   session,
                                   window,      ws.Box(),     ws.Clock(),
                                   ws.Lingue(), ws.Paths(),   ws.Session().Requests(),
                                   nullptr,     "velmora-cli"} {}
  pages::SessionPageSession session;
  NoWindow window;
  pages::PageEnv env;
};

// Runs the session until the request a page posted has been carried out.
bool RunPosted(HeadlessWorkstation& ws) {
  if (ws.Session().PendingRequest() == session::request::kNone) {
    Err("nothing was sent: the choice changes nothing or another request was pending");
    return false;
  }
  if (!ws.RunUntil([&] { return ws.Session().PendingRequest() == session::request::kNone; },
                   SteadyClock::now() + kWriteLimit)) {
    Err("the request was not carried out in time");
    return false;
  }
  return true;
}

// "3.3, 3.35" or "3.33 bit 1": the entry.field words at the start of each
// part.
std::vector<std::pair<std::size_t, std::size_t>> Words(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  for (const std::string& part : core::Split(text, ',')) {
    const std::string_view t = core::Trim(part);
    const auto dot = t.find('.');
    if (dot == std::string_view::npos) {
      continue;
    }
    std::size_t end = dot + 1;
    while (end < t.size() && t[end] >= '0' && t[end] <= '9') {
      ++end;
    }
    const auto e = core::ParseInt32(t.substr(0, dot));
    const auto f = core::ParseInt32(t.substr(dot + 1, end - dot - 1));
    if (e && f && *e >= 0 && *f >= 0) {
      out.emplace_back(static_cast<std::size_t>(*e), static_cast<std::size_t>(*f));
    }
  }
  return out;
}

std::string ComboLine(const pages::FrmKvxCommutazione& page, int combo) {
  const pages::SwitchCombo& c = page.Controls().combos[static_cast<std::size_t>(combo)];
  const std::string item = c.index >= 0 && static_cast<std::size_t>(c.index) < c.items.size()
                               ? c.items[static_cast<std::size_t>(c.index)]
                               : std::string("-");
  return std::string(kComboNames[static_cast<std::size_t>(combo)]) + "=" + item;
}

std::optional<int> ComboOf(std::string_view name) {
  for (std::size_t i = 0; i < kComboNames.size(); ++i) {
    if (core::EqualsNoCase(kComboNames[i], name)) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

// The item named by its text, else by the number it shows.
int ItemOf(const pages::SwitchCombo& c, const std::string& wanted) {
  for (std::size_t i = 0; i < c.items.size(); ++i) {
    if (core::EqualsNoCase(core::Trim(c.items[i]), core::Trim(wanted))) {
      return static_cast<int>(i);
    }
  }
  const auto number = pages::LeadingNumber(wanted);
  return number ? pages::FirstEqual(c.numbers, *number) : -1;
}

int SwitchOverShow(const CliOptions& options) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  PageLinks links(*ws);
  pages::FrmKvxCommutazione page(links.env);
  for (int c = 0; c < pages::sw_combo::kCount; ++c) {
    Out(ComboLine(page, c));
  }
  return Finish(*ws, true);
}

int SwitchOverSet(const CliOptions& options, int combo, const std::string& wanted) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  PageLinks links(*ws);
  pages::FrmKvxCommutazione page(links.env);
  const pages::SwitchCombo& c = page.Controls().combos[static_cast<std::size_t>(combo)];
  const int index = ItemOf(c, wanted);
  if (index < 0) {
    Err("no item \"" + wanted + "\" in " +
        std::string(kComboNames[static_cast<std::size_t>(combo)]));
    return Finish(*ws, false);
  }
  page.ComboClick(combo, index);
  if (!RunPosted(*ws)) {
    return Finish(*ws, false);
  }
  page.LiveTick();  // the read-back, as the page's next tick shows it
  Out(ComboLine(page, combo));
  for (const auto& [entry, field] :
       Words(pages::kComboSpecs[static_cast<std::size_t>(combo)].words)) {
    Out(std::to_string(entry) + "." + std::to_string(field) + "=" +
        std::to_string(ws->Table().Value(entry, field)));
  }
  const bool taken = c.mark == pages::Mark::kNone && c.index == index;
  if (!taken) {
    Err("the ECU did not take the choice");
  }
  return Finish(*ws, taken);
}

std::optional<int> KindOf(const std::string& word) {
  for (std::size_t i = 0; i < kKindNames.size(); ++i) {
    if (word == kKindNames[i]) {
      return static_cast<int>(i);
    }
  }
  const auto n = core::ParseInt32(word);
  return n && *n >= 0 && *n < cp::kKinds ? n : std::nullopt;
}

std::string TableText(maps::FrmCompensa& page, int kind) {
  std::string out = std::string(kKindNames[static_cast<std::size_t>(kind)]) + "\n";
  for (const int row : {cp::kBreakpointRow, cp::kCorrectionRow}) {
    const maps::GridModel& g = page.Grid(kind);
    for (int c = 0; c < cp::kColumns; ++c) {
      out += (c == 0 ? "" : " ") + g.Text(row, c);
    }
    out += "\n";
  }
  out.pop_back();
  return out;
}

int CompensationShow(const CliOptions& options) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  PageLinks links(*ws);
  maps::FrmCompensa page(links.env);
  for (int k = 0; k < cp::kKinds; ++k) {
    Out(TableText(page, k));
  }
  return Finish(*ws, true);
}

int CompensationCentre(const CliOptions& options, int kind, int column, const std::string& factor) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  PageLinks links(*ws);
  maps::FrmCompensa page(links.env);
  page.SetFactorText(kind, factor);
  page.Grid(kind).SetCurrent({cp::kBreakpointRow, column});
  if (page.CmdCentraQui(kind) != maps::CompensaOutcome::kApplied) {
    Err("centring refused: columns 2..13 of a temperature or pressure table, on a breakpoint "
        "the rule can divide by");
    return Finish(*ws, false);
  }
  if (!RunPosted(*ws)) {
    return Finish(*ws, false);
  }
  Out(TableText(page, kind));
  bool taken = true;
  for (int c = 1; c < cp::kColumns; ++c) {
    taken = taken && page.CellMark(kind, c) == pages::Mark::kNone;
  }
  if (!taken) {
    Err("the ECU did not take the table");
  }
  return Finish(*ws, taken);
}

}  // namespace

int RunSwitchOver(const CliOptions& options) {
  const auto& words = options.command;
  if (words.size() == 2 && words[1] == "show") {
    return SwitchOverShow(options);
  }
  if (words.size() >= 4 && words[1] == "set") {
    const auto combo = ComboOf(words[2]);
    if (combo) {
      std::string wanted = words[3];
      for (std::size_t i = 4; i < words.size(); ++i) {
        wanted += " " + words[i];
      }
      return SwitchOverSet(options, *combo, wanted);
    }
    Err("unknown control " + words[2]);
    return exit_code::kUsage;
  }
  Err(UsageText());
  return exit_code::kUsage;
}

int RunCompensation(const CliOptions& options) {
  const auto& words = options.command;
  if (words.size() == 2 && words[1] == "show") {
    return CompensationShow(options);
  }
  if (words.size() >= 4 && words[1] == "centre") {
    std::string factor = "10";
    std::vector<std::string> rest;
    for (std::size_t i = 2; i < words.size(); ++i) {
      std::string value;
      if (TakeCommandValue(words, i, kFactorOption, &value)) {
        factor = value;
      } else {
        rest.push_back(words[i]);
      }
    }
    const auto kind = rest.size() == 2 ? KindOf(rest[0]) : std::nullopt;
    const auto column = rest.size() == 2 ? core::ParseInt32(rest[1]) : std::nullopt;
    if (kind && column && *column >= 1 && *column < cp::kColumns && core::ParseInt32(factor)) {
      return CompensationCentre(options, *kind, *column, factor);
    }
    Err("compensation centre needs KIND COLUMN [--factor F]: KIND 0..4 or its name, COLUMN "
        "1..15, F a whole number");
    return exit_code::kUsage;
  }
  Err(UsageText());
  return exit_code::kUsage;
}

}  // namespace velmora::cli
