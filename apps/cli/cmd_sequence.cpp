#include "apps/cli/cmd_sequence.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "pages/page_services.h"
#include "session/request_codes.h"
#include "tuning/frm_seq_inj.h"

namespace velmora::cli {

namespace {

namespace request = session::request;

constexpr std::string_view kResetFlag = "--reset";
constexpr std::chrono::seconds kRequestLimit{60};
// How long the command waits for a steady idle, as a fitter would before
// pressing the button.
constexpr std::chrono::seconds kIdleWait{10};

class NoWindow final : public pages::PageWindow {
 public:
  pages::EnteredValue AskValue(const pages::Limits& /*limits*/, int /*option*/) override {
    return {pages::value_op::kCancelled, 0};
  }
  void Beep(int /*hertz*/, int /*milliseconds*/) override {}
  void SelezioneScheda(int /*page_code*/) override {}
};

// The page's message boxes, kept to be printed as the command's outcome.
class KeptBoxes final : public platform::MessageBox {
 public:
  void Show(std::string_view text, std::string_view /*caption*/, platform::BoxKind kind) override {
    (kind == platform::BoxKind::Information ? notices : refusals).emplace_back(text);
  }
  bool Ask(std::string_view text, std::string_view caption) override {
    Show(text, caption, platform::BoxKind::Question);
    return false;
  }
  std::vector<std::string> notices;
  std::vector<std::string> refusals;
};

struct PageLinks {
  explicit PageLinks(HeadlessWorkstation& ws)
      : session(ws.Session()), env{ws.Image(),  ws.Table(),   session,
                                   window,      boxes,        ws.Clock(),
                                   ws.Lingue(), ws.Paths(),   ws.Session().Requests(),
                                   nullptr,     "velmora-cli"} {}
  pages::SessionPageSession session;
  NoWindow window;
  KeptBoxes boxes;
  pages::PageEnv env;
};

// The outcome of each request's work as it runs, whoever posted it.
class Outcomes {
 public:
  Outcomes(session::RequestTable& requests, std::initializer_list<int> codes) {
    for (const int code : codes) {
      const session::RequestWork* work = requests.Find(code);
      if (work == nullptr || !work->run) {
        continue;
      }
      session::RequestWork watched = *work;
      watched.run = [this, code, inner = work->run] {
        const bool ok = inner();
        kept_[code] = ok;
        return ok;
      };
      requests.Register(code, std::move(watched));
    }
  }
  [[nodiscard]] std::optional<bool> Of(int code) const {
    const auto at = kept_.find(code);
    return at == kept_.end() ? std::nullopt : std::optional<bool>(at->second);
  }

 private:
  std::map<int, bool> kept_;
};

// Runs what the page posted; true when every request of `chain` ran well.
bool RunChain(HeadlessWorkstation& ws, const Outcomes& outcomes, const std::vector<int>& chain) {
  const auto settled = [&] {
    for (const int code : chain) {
      const auto ok = outcomes.Of(code);
      if (!ok.has_value()) {
        return false;
      }
      if (!*ok) {
        return true;  // nothing follows a failure
      }
    }
    return true;
  };
  if (!ws.RunUntil(settled, SteadyClock::now() + kRequestLimit)) {
    Err("the ECU did not finish in " + std::to_string(kRequestLimit.count()) + " s");
    return false;
  }
  for (const int code : chain) {
    if (outcomes.Of(code) != true) {
      Err("the ECU refused request " + std::to_string(code));
      return false;
    }
  }
  return true;
}

void PrintLines(const tuning::FrmSeqInj& page, const pages::PageSession& session) {
  const tuning::SeqControls& c = page.Controls();
  Out(c.output_line);
  Out(c.channel_line);
  Out("SEQ: " + c.sequence.substr(0, c.sequence.find('\n')));
  Out(session.SequenceCaption());
}

void PrintRefusals(const KeptBoxes& boxes) {
  for (const std::string& text : boxes.refusals) {
    Err(text);
  }
}

bool Run(HeadlessWorkstation& ws, const Outcomes& outcomes, PageLinks& links,
         tuning::FrmSeqInj& page, bool reset) {
  (void)ws.RunUntil([&] { return page.EngineConditionMet(); }, SteadyClock::now() + kIdleWait);
  std::vector<int> chain;
  if (reset) {
    if (!page.CmdResetSeq()) {
      PrintRefusals(links.boxes);
      return false;
    }
    chain = {request::kEntry15List};
  } else {
    const tuning::AcquireResult result = page.CmdAcquire();
    for (const std::string& notice : links.boxes.notices) {
      Err(notice);
    }
    if (result != tuning::AcquireResult::kPosted) {
      PrintRefusals(links.boxes);
      return false;
    }
    chain = {request::kAcquisition, request::kEntry15List};
  }
  if (!RunChain(ws, outcomes, chain)) {
    return false;
  }
  page.Refresh();  // the session's page refresh, as for page 22 in front
  return true;
}

}  // namespace

int RunSequence(const CliOptions& options) {
  const auto& words = options.command;
  const std::optional<bool> reset = OptionalFlag(words, kResetFlag);
  if (!reset) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  // Kept until the session has closed: the session holds its watch.
  const Outcomes outcomes(ws->Session().Requests(), {request::kAcquisition, request::kEntry15List});
  PageLinks links(*ws);
  tuning::FrmSeqInj page(links.env);
  const bool ok = Run(*ws, outcomes, links, page, *reset);
  if (ok) {
    PrintLines(page, links.session);
  }
  return Finish(*ws, ok);
}

}  // namespace velmora::cli
