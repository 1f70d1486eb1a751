#include "apps/cli/cmd_diag.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "diag/diag_pages.h"
#include "diag/frm_error.h"
#include "diag/frm_obd.h"
#include "diag/mod_nex_obd.h"
#include "pages/page_services.h"
#include "platform/posix/posix_clock.h"
#include "session/request_codes.h"

namespace velmora::cli {

namespace {

namespace request = session::request;
using RequestEnd = HeadlessWorkstation::RequestEnd;

constexpr std::chrono::seconds kRequestLimit{60};
// How long the erase waits for a steady idle, as a fitter would.
constexpr std::chrono::seconds kEraseWait{10};
constexpr std::string_view kEraseFlag = "--erase";
constexpr std::string_view kAddOption = "--add-dtc";
constexpr std::string_view kRemoveOption = "--remove-dtc";

// A page without a window: no dialog is ever answered.
class NoWindow final : public pages::PageWindow {
 public:
  pages::EnteredValue AskValue(const pages::Limits& /*limits*/, int /*option*/) override {
    return {pages::value_op::kCancelled, 0};
  }
  void Beep(int /*hertz*/, int /*milliseconds*/) override {}
  void SelezioneScheda(int /*page_code*/) override {}
};

// What a page model is made with, over the headless workstation.
struct PageContext {
  explicit PageContext(HeadlessWorkstation& ws)
      : session(ws.Session()),
        lingue(Dictionary(ws.Paths())),
        env{ws.Image(), ws.Table(),        session,
            window,     ws.Box(),          clock,
            lingue,     ws.Paths(),        ws.Session().Requests(),
            nullptr,    ws.Texts().caption} {}
  // The installation's dictionary in the chosen language.
  static core::ClsLingue Dictionary(const core::PathTable& paths) {
    core::ClsLingue lingue;
    lingue.SetPathDizionario(paths.dictionary);
    lingue.SetPathAttualeLingua(paths.language_choice);
    lingue.LoadDizionario();
    return lingue;
  }
  platform::PosixClock clock;
  NoWindow window;
  pages::SessionPageSession session;
  core::ClsLingue lingue;
  pages::PageEnv env;
};

// Runs the request a page posted until the session has carried it out.
bool RunPosted(HeadlessWorkstation& ws) {
  return ws.RunUntil([&] { return ws.Session().PendingRequest() == request::kNone; },
                     SteadyClock::now() + kRequestLimit);
}

void ListErrors(const diag::FrmError& page) {
  bool any = false;
  for (const diag::ErrorRow& row : page.Rows()) {
    if (row.Hidden() || (row.current_state == 0 && row.stored_state == 0)) {
      continue;
    }
    const bool current = row.current_state != 0;
    Out(row.label + "  " + row.entry.name + "  " + (current ? "current: " : "stored: ") +
        (current ? row.current : row.stored));
    any = true;
  }
  if (!any) {
    Out("no errors");
  }
}

bool Erase(HeadlessWorkstation& ws, diag::FrmError& page) {
  (void)ws.RunUntil([&] { return page.EraseAllowed(); }, SteadyClock::now() + kEraseWait);
  if (!page.EraseAllowed()) {
    Err(page.Texts().erase_refused);
    return false;
  }
  return ws.RunRequest(request::kEraseErrors, {}, kRequestLimit) == RequestEnd::kSucceeded;
}

struct ObdArgs {
  std::optional<std::string> add;
  std::optional<std::string> remove;
};

std::optional<ObdArgs> ParseObdArgs(const std::vector<std::string>& words) {
  ObdArgs a;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kAddOption, &value)) {
      a.add = value;
    } else if (TakeCommandValue(words, i, kRemoveOption, &value)) {
      a.remove = value;
    } else {
      return std::nullopt;
    }
  }
  const auto valid = [](const std::optional<std::string>& code) {
    return !code || diag::DtcFromText(*code).has_value();
  };
  return valid(a.add) && valid(a.remove) ? std::optional(a) : std::nullopt;
}

// The list change as the page makes it: typed, then added; or selected in
// the list, then removed.
bool ChangeList(HeadlessWorkstation& ws, diag::FrmObd& page, const ObdArgs& a) {
  if (a.add) {
    page.SetDtcText(*a.add);
    page.AddDtc();
  } else {
    page.AggiornaVisualizzazioneNew();
    const auto& list = page.Dtcs().selective;
    const std::string wanted = diag::DtcText(*diag::DtcFromText(*a.remove));
    const auto at = std::find(list.begin(), list.end(), wanted);
    if (at == list.end()) {
      Err(wanted + " is not in the selective-clear list");
      return false;
    }
    page.SelectDtc(static_cast<int>(at - list.begin()));
    page.RemoveDtc();
  }
  page.AggiornaVisualizzazioni();
  return RunPosted(ws);
}

void PrintObd(const diag::FrmObd& page) {
  const diag::ObdLive& v = page.Live();
  const std::string name(diag::ProtocolName(v.protocol));
  Out("protocol: " + (name.empty() ? std::string(diag::kNoValue) : name));
  const auto& t = page.Texts();
  const std::size_t banks = v.bank2 ? 2 : 1;
  for (std::size_t b = 0; b < banks; ++b) {
    Out("fuel system bank " + std::to_string(b + 1) + ": " + t.fuel.Of(v.fuel_status[b]));
    Out("short-term trim bank " + std::to_string(b + 1) + ": " + std::to_string(v.trims[2 * b]) +
        " %");
    Out("long-term trim bank " + std::to_string(b + 1) + ": " + std::to_string(v.trims[2 * b + 1]) +
        " %");
  }
  const auto join = [](const std::vector<std::string>& codes) {
    std::string s;
    for (const auto& c : codes) {
      s += (s.empty() ? "" : " ") + c;
    }
    return s.empty() ? std::string("none") : s;
  };
  Out("stored DTCs: " + join(page.Dtcs().stored));
  Out(std::string("MIL: ") + (page.Dtcs().mil_on ? "on" : "off"));
  Out("selective clear: " + join(page.Dtcs().selective));
}

}  // namespace

int RunErrors(const CliOptions& options) {
  const auto& words = options.command;
  const std::optional<bool> erase = OptionalFlag(words, kEraseFlag);
  if (!erase) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  PageContext context(*ws);
  diag::FrmError page(context.env);
  bool ok = ws->RunRequest(request::kReadErrors, {}, kRequestLimit) == RequestEnd::kSucceeded;
  if (ok && *erase) {
    ok = Erase(*ws, page);
  }
  page.VisualizzaErrori();
  ListErrors(page);
  return Finish(*ws, ok);
}

int RunObd(const CliOptions& options) {
  const auto args = ParseObdArgs(options.command);
  if (!args) {
    Err("a trouble code is a letter P, C, B or U and four digits, the first 0..3\n" + UsageText());
    return exit_code::kUsage;
  }
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  PageContext context(*ws);
  diag::FrmObd page(context.env, diag::diag_page::kObdMap);
  bool ok = true;
  if (args->add || args->remove) {
    ok = ChangeList(*ws, page, *args);
  }
  if (ok && (!page.Running() || ws->Table().Value(12, 1) >= diag::obd_protocol::kGeneric)) {
    Out("starting the OBD reading");
    page.Choose(diag::ObdControl::kRun, 1);
    page.AggiornaVisualizzazione();
    ok = RunPosted(*ws);
  }
  ok = ok && ws->RunRequest(request::kObdInfoError, {}, kRequestLimit) == RequestEnd::kSucceeded &&
       ws->RunRequest(request::kReadTuningTables, {}, kRequestLimit) == RequestEnd::kSucceeded;
  page.Refresh();
  PrintObd(page);
  return Finish(*ws, ok);
}

}  // namespace velmora::cli
