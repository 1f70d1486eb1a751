// The workstation's tool, its link server and the virtual ECU as real
// processes, each scenario with one fault: on the line, in the ECU, in the
// link server, on the disk. Every scenario must end in time, not by a
// signal, with its exit code and message, and leave every file that was
// there before exactly as it was. One line per scenario and a summary.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "core/files.h"
#include "tests/reliability/fault_rig.h"

namespace velmora::reliability {
namespace {

// The link server gives up on the ECU after 0.3 s and the tool on the link
// server after 4 s, so a lost answer costs little time.
const e2e::SetComValues kQuickWaits = {{"[AttesaGlobale_usec]", "300000"},
                                       {"[AttesaPipe_usec]", "4000000"}};

enum class Action { kNone, kKillLinkServer, kRemoveDevice };

struct Scenario {
  const char* name;
  std::vector<std::string> sim;  // the virtual ECU's options
  std::vector<std::string> cli;  // "@" starts a path in the installation
  int exit_code;
  std::vector<std::string> expect;  // texts the tool prints
  Action action = Action::kNone;    // done once `trigger` is printed
  std::string trigger{};
  Launch launch{};
  e2e::SetComValues waits = kQuickWaits;
};

const std::string kLost = "Error 006 - Comunication error";
const std::string kSearching = "2 -> 0 searching";
const std::string kReconnected = "0 -> 2 connected";
const std::string kNotWritten = "failed: the file could not be written";

// A watch that sees the fault, searches and finds the ECU again.
Scenario Recovers(const char* name, std::vector<std::string> fault) {
  return {
      name, std::move(fault), {"watch", "--seconds", "12"}, 0, {kLost, kSearching, kReconnected}};
}

std::vector<Scenario> Scenarios() {
  const auto silent = [](const char* command) -> std::vector<std::string> {
    return {"--silent-after-command", command};
  };
  const Launch full{Start::kDiskFull, 256, ""};
  const Launch no_room{Start::kDiskFull, 0, ""};
  const Launch data_ro{Start::kReadOnly, 0, "Data"};
  const Launch bin_ro{Start::kReadOnly, 0, "bin"};
  const std::vector<std::string> log = {"log", "--seconds", "3", "--out", "@Data/run.vfl"};
  const std::vector<std::string> cut_log = {"log", "--seconds", "20", "--out", "@Data/new.vfl"};
  const std::vector<std::string> save = {"read", "@Data/target.xsi"};
  const std::vector<std::string> setup = {"--port", "@port", "identify"};
  return {
      Recovers("answer-dropped", {"--drop-every", "100"}),
      Recovers("answer-truncated", {"--truncate-every", "100"}),
      Recovers("answer-bad-check-byte", {"--bad-xor-every", "100"}),
      Recovers("answer-garbage", {"--garbage-every", "100"}),
      Recovers("answer-later-than-ecu-wait", {"--delay-every", "100", "--delay-ms", "700"}),
      // The link server waits longer for the ECU than the tool for it.
      {"answer-later-than-pipe-wait",
       {"--delay-every", "150", "--delay-ms", "4000"},
       {"watch", "--seconds", "20"},
       1,
       {"Error 007 - Time Out", "the session ended: the link server stopped answering"},
       Action::kNone,
       "",
       {},
       {{"[AttesaPipe_usec]", "1500000"}, {"[AttesaGlobale_usec]", "6000000"}}},
      {"ecu-silent-while-polling", silent("0C:20"), {"live", "--count", "200"}, 1, {kLost}},
      // The connection reads bank 2 in five chunks, the save again.
      {"ecu-silent-mid-save", silent("16:7"), save, 1, {kLost, "saving the calibration"}},
      {"ecu-silent-mid-load", silent("13:2"), {"write", "@Data/keep.xsi"}, 1, {kLost, "loading"}},
      {"ecu-silent-mid-bank-write",
       silent("17:2"),
       {"bank", "write", "2", "@bank2", "--force"},
       1,
       {kLost}},
      {"ecu-silent-mid-map-write",
       silent("13:1"),
       {"map", "set", "0", "2", "6", "200", "--to", "20", "20"},
       1,
       {kLost, "writing map 0 failed"}},
      {"ecu-silent-mid-flash", silent("08:10"), {"flash", "@fw"}, 1, {"result: 6"}},
      // Every answer 150 ms late: the kill lands while the tool waits.
      {"link-server-killed-mid-exchange",
       {"--delay-every", "1", "--delay-ms", "150"},
       cut_log,
       1,
       {"Error 007 - Time Out", "what was recorded is in"},
       Action::kKillLinkServer,
       "recording 1 s"},
      // Between two polls the next request finds nobody to read it.
      {"link-server-killed-between-exchanges",
       {},
       cut_log,
       1,
       {"Error 00", "what was recorded is in"},
       Action::kKillLinkServer,
       "recording 1 s"},
      {"serial-device-removed",
       {},
       cut_log,
       1,
       {"the connection to the ECU was lost; what was recorded is in"},
       Action::kRemoveDevice,
       "recording 1 s"},
      {"disk-full-saving-calibration", {}, save, 1, {kNotWritten}, {}, {}, full},
      {"disk-full-saving-view-file", {}, log, 1, {"run.vfl failed"}, {}, {}, full},
      {"disk-full-saving-setup", {}, setup, 1, {"cannot write", "PortCom.ini"}, {}, {}, no_room},
      {"read-only-saving-calibration", {}, save, 1, {kNotWritten}, {}, {}, data_ro},
      {"read-only-saving-view-file", {}, log, 1, {"cannot write", "run.vfl.part"}, {}, {}, data_ro},
      {"read-only-saving-setup", {}, setup, 1, {"cannot write", "PortCom.ini"}, {}, {}, bin_ro},
  };
}

// What every scenario's installation holds before the fault: a calibration
// saved from a healthy ECU (to load, and as the file a save would replace),
// an earlier recording and the remembered port.
struct Fixture {
  std::string calibration;
  std::string bank2;
};

std::optional<Fixture> MakeFixture() {
  TempRoot root(kQuickWaits);
  e2e::Sim sim(root, {"--hw", "nex"});
  if (!sim.Ready()) {
    return std::nullopt;
  }
  Fixture f;
  const std::string path = root.Root() + "/saved.xsi";
  const e2e::CliRun save = e2e::RunCli(root, e2e::WithPort(sim, {"read", path}), 60'000);
  const e2e::CliRun bank = e2e::RunCli(root, e2e::WithPort(sim, {"bank", "read", "2"}), 60'000);
  if (save.exit_code != 0 || bank.exit_code != 0 || !core::ReadWholeFile(path, f.calibration)) {
    return std::nullopt;
  }
  f.bank2 = bank.out.substr(0, bank.out.find('\n'));
  return f;
}

std::vector<std::string> Words(const Scenario& s, const TempRoot& root, const e2e::Sim& sim,
                               const Fixture& fixture) {
  std::vector<std::string> words;
  for (const std::string& w : s.cli) {
    if (w == "@port") {
      words.push_back(std::to_string(sim.Port()));
    } else if (w == "@bank2") {
      words.push_back(fixture.bank2);
    } else if (w == "@fw") {
      words.push_back(e2e::StageBin() + "/fw/Velmora_NexHw.frh");
    } else {
      words.push_back(w.starts_with("@") ? root.Root() + "/" + w.substr(1) : w);
    }
  }
  return words;
}

// Carries out the scenario's action once its trigger text shows; a reason
// when it could not.
std::string Act(const Scenario& s, Process& cli, const TempRoot& root, e2e::Sim& sim) {
  if (s.action == Action::kNone) {
    return "";
  }
  if (!cli.WaitFor(s.trigger, 60'000, true)) {
    return "\"" + s.trigger + "\" never came";
  }
  if (s.action == Action::kRemoveDevice) {
    return sim.KillHard() ? "" : "the virtual ECU did not end";
  }
  const int pid = LinkServerPid(root);
  if (pid == 0 || ::kill(pid, SIGKILL) != 0) {
    return "no link server to kill";
  }
  return "";
}

struct Verdict {
  char mark;  // 'P', 'F' or 'S'
  std::string detail;
};

Verdict Check(const Scenario& s, std::optional<int> code, const std::string& output,
              const std::string& damaged, const TempRoot& root) {
  if (!code) {
    return {'F', "no end within its bound (hung)"};
  }
  if (*code >= 128) {
    return {'F', "ended by signal " + std::to_string(*code - 128) + ": " + output};
  }
  if (*code != s.exit_code) {
    return {'F', "exit " + std::to_string(*code) + ", not " + std::to_string(s.exit_code) + ": " +
                     output};
  }
  for (const std::string& text : s.expect) {
    if (output.find(text) == std::string::npos) {
      return {'F', "\"" + text + "\" not shown: " + output};
    }
  }
  if (!damaged.empty()) {
    return {'F', "files changed:" + damaged};
  }
  if (!e2e::LinkServerGone(root)) {
    return {'F', "the link server was left running"};
  }
  return {'P', "exit " + std::to_string(*code) + ", \"" + s.expect.back() +
                   "\", every earlier file intact"};
}

Verdict Run(const Scenario& s, const Fixture& fixture, const std::optional<std::string>& no_ro) {
  if (s.launch.start == Start::kReadOnly && no_ro) {
    return {'S', *no_ro};
  }
  TempRoot root(s.waits);
  std::error_code ec;  // the firmware update reads the image's layout from it
  fs::copy_file(e2e::StageBin() + "/Flash.ini", root.Bin() + "/Flash.ini", ec);
  std::vector<std::string> sim_args = {"--hw", "nex"};
  sim_args.insert(sim_args.end(), s.sim.begin(), s.sim.end());
  e2e::Sim sim(root, sim_args);
  if (!sim.Ready()) {
    return {'F', "the virtual ECU did not start"};
  }
  fs::create_directories(root.Root() + "/Data");
  bool ready = true;
  for (const char* name : {"/Data/keep.xsi", "/Data/target.xsi"}) {
    ready = ready && core::WriteFileAtomic(root.Root() + name, fixture.calibration);
  }
  ready = ready && core::WriteFileAtomic(root.Root() + "/Data/run.vfl", "an earlier recording\n");
  ready = ready && link::WriteRememberedPort(root.Bin() + "/PortCom.ini", sim.Port());
  if (!ready) {
    return {'F', "the installation could not be prepared"};
  }
  const auto before = Snapshot(root.Root());
  auto cli = StartCli(root, s.launch, Words(s, root, sim, fixture));
  if (!cli->Started()) {
    return {'F', "velmora-cli did not start"};
  }
  if (const std::string failed = Act(s, *cli, root, sim); !failed.empty()) {
    return {'F', failed};
  }
  const std::optional<int> code = cli->Wait(90'000);
  return Check(s, code, std::string(core::Trim(cli->err_text + cli->out_text)),
               Damaged(before, Snapshot(root.Root())), root);
}

}  // namespace
}  // namespace velmora::reliability

// An argument picks the scenarios whose names contain it.
int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  using namespace velmora::reliability;
  // A full disk fails the write; it does not end the program.
  std::signal(SIGXFSZ, SIG_IGN);
  const auto fixture = MakeFixture();
  if (!fixture) {
    std::puts("FAIL fixture — no calibration could be saved from a healthy virtual ECU");
    return 1;
  }
  const std::optional<std::string> no_read_only = ReadOnlyUnavailable();
  int passed = 0;
  int failed = 0;
  auto scenarios = Scenarios();
  std::erase_if(scenarios, [&](const Scenario& s) {
    return std::string(s.name).find(only) == std::string::npos;
  });
  for (const Scenario& s : scenarios) {
    const Verdict v = Run(s, *fixture, no_read_only);
    const char* word = v.mark == 'P' ? "PASS" : v.mark == 'F' ? "FAIL" : "SKIP";
    std::printf("%s %s — %s\n", word, s.name, v.detail.c_str());
    std::fflush(stdout);
    passed += v.mark == 'P';
    failed += v.mark == 'F';
  }
  std::printf("%zu scenarios, %d passed, %d failed\n", scenarios.size(), passed, failed);
  return failed == 0 ? 0 : 1;
}
