#include "apps/cli/cmd_autotune.h"

#include <chrono>
#include <optional>
#include <string>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "calib/coefficient_file.h"
#include "core/text.h"
#include "pages/page_services.h"
#include "tuning/autotune_run.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kCancelOption = "--cancel-at-step";
constexpr int kLastStep = 7;
// A run at the shipped parameters takes minutes; the start's write far less.
constexpr std::chrono::minutes kRunLimit{30};
constexpr std::chrono::seconds kStartLimit{30};

// No window: the value entry is cancelled, the page switch not shown.
class NoWindow final : public pages::PageWindow {
 public:
  [[nodiscard]] pages::EnteredValue AskValue(const pages::Limits& /*limits*/,
                                             int /*option*/) override {
    return {pages::value_op::kCancelled, 0};
  }
  void Beep(int /*hertz*/, int /*milliseconds*/) override {}
  void SelezioneScheda(int /*page_code*/) override {}
};

// The run as lines: each step with its progress, the instructions, the
// cylinder being tuned and the result. The fitter's confirmation is given
// up front; Cancel is pressed when the chosen step begins.
class PrintedRun final : public tuning::TuningObserver {
 public:
  PrintedRun(tuning::TuningControl& control, std::optional<int> cancel_at)
      : control_(control), cancel_at_(cancel_at) {}
  void StepChanged(int step, int percent, std::string_view title) override {
    Out("step " + std::to_string(step) + " " + std::to_string(percent) + " % " +
        std::string(title));
    if (cancel_at_ && step == *cancel_at_) {
      control_.cancel = true;
      Out("cancel");
    }
  }
  void Instruction(std::string_view text) override { Out("  " + std::string(text)); }
  void Cylinder(int cylinder) override {
    if (cylinder > 0) {
      Out("  cylinder " + std::to_string(cylinder));
    }
  }
  void Sample(int, int, int, int) override {}
  void Live(const tuning::TuningLive&) override {}
  void Finished(int result, std::string_view text) override {
    result_ = result;
    Out("result: " + std::to_string(result) + " " + std::string(text));
  }
  [[nodiscard]] std::optional<int> Result() const { return result_; }

 private:
  tuning::TuningControl& control_;
  std::optional<int> cancel_at_;
  std::optional<int> result_;
};

bool ParseCancel(const std::vector<std::string>& words, std::optional<int>& step) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (!TakeCommandValue(words, i, kCancelOption, &value)) {
      Err("autotune does not take \"" + words[i] + "\"");
      return false;
    }
    const std::optional<std::int32_t> n = core::ParseInt32(value);
    if (!n || *n < 1 || *n > kLastStep) {
      Err(std::string(kCancelOption) + " needs a step from 1 to " + std::to_string(kLastStep));
      return false;
    }
    step = *n;
  }
  return true;
}

}  // namespace

int RunAutotune(const CliOptions& options) {
  std::optional<int> cancel_at;
  if (!ParseCancel(options.command, cancel_at)) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  const calib::CoefficientList coefficients = calib::ListCoefficientFiles(ws->Paths().lng);
  pages::SessionPageSession session(ws->Session());
  NoWindow window;
  const pages::PageEnv env{ws->Image(),   ws->Table(),  session,
                           window,        ws->Box(),    ws->Clock(),
                           ws->Lingue(),  ws->Paths(),  ws->Session().Requests(),
                           &coefficients, "velmora-cli"};
  const tuning::TuningLinks links{ws->Ecu(), ws->Calibration(), ws->Pump()};
  if (!tuning::PrepareAutoTuningStart(env, links)) {
    Out("result: " + std::to_string(tuning::tune_result::kNotStarted) +
        " the session is not connected or the injection sequence is shifted");
    return Finish(*ws, false);
  }
  const auto idle = [&] { return ws->Session().PendingRequest() == session::request::kNone; };
  (void)ws->RunUntil(idle, SteadyClock::now() + kStartLimit);

  tuning::TuningControl control{false, true};
  PrintedRun printed(control, cancel_at);
  bool ran = false;
  session.RunInStepState([&] {
    (void)tuning::RunAutoTuning(env, links, printed, control);
    ran = true;
  });
  (void)ws->RunUntil([&] { return ran; }, SteadyClock::now() + kRunLimit);
  if (!printed.Result()) {
    Err("the auto-tuning did not run to its end");
  }
  return Finish(*ws, printed.Result() == tuning::tune_result::kDone);
}

}  // namespace velmora::cli
