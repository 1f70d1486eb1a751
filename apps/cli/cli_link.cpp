#include "apps/cli/cli_link.h"

#include <cstdio>
#include <filesystem>

#include "apps/cli/workstation_guard.h"
#include "core/files.h"
#include "core/text.h"
#include "core/user_data.h"
#include "link/ecu_identity.h"
#include "link/link_startup.h"
#include "link/port_registry.h"
#include "platform/sys_io.h"

namespace velmora::cli {

namespace {

std::string OwnExecutableName() {
  return std::filesystem::path(platform::SelfExecutablePath()).filename().string();
}

core::SetComConfig ReadSetCom(const std::string& path) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(path, lines);
  return core::LeggiSetCom(lines);
}

void Complain(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace

std::string ResolveRoot(const std::string& option) {
  if (!option.empty()) {
    std::error_code ec;
    const auto abs = std::filesystem::absolute(option, ec);
    std::string root = ec ? option : abs.lexically_normal().string();
    while (root.size() > 1 && root.back() == core::kSep) {
      root.pop_back();
    }
    return root;
  }
  const std::string exe = platform::SelfExecutablePath();
  return core::RootFromExecutableDir(std::filesystem::path(exe).parent_path().string());
}

CliLink::CliLink(const CliOptions& options)
    : options_(options),
      paths_(core::InstallationPaths(ResolveRoot(options.root))),
      set_com_(ReadSetCom(paths_.set_com)),
      pipe_(link::PipeServices{box_, clock_, pump_, processes_, platform::PosixSysIo(), flags_},
            link::LinkLocationFor(paths_)),
      ecu_(pipe_, link::TimesFromSetCom(set_com_)) {}

CliLink::~CliLink() {
  if (!started_) {
    return;
  }
  // After a time-out the link server is not listening; ending our side of
  // the pipes is all it needs to leave.
  if (!flags_.exit_request) {
    (void)link::ShutdownLink(pipe_, ecu_.Times().pipe_us);
  }
  pipe_.Detach();
}

std::optional<int> CliLink::ChoosePort() {
  const std::string registry = paths_.port_registry;
  if (options_.port) {
    return options_.port;
  }
  if (!options_.device.empty()) {
    const auto n = link::RegisterPort(registry, options_.device);
    if (!n) {
      Complain("cannot register " + options_.device + " in " + registry);
    }
    return n;
  }
  std::vector<std::string> lines;
  if (core::LeggiRighe(paths_.port_com, lines) && !lines.empty()) {
    if (const auto n = core::ParseInt32(lines.front());
        n && *n >= 0 && *n <= link::kMaxPortNumber) {
      return *n;
    }
  }
  const auto entries = link::LoadPortRegistry(registry);
  if (!entries.empty()) {
    return entries.front().number;
  }
  Complain("no serial port: give --port N or --device PATH");
  return std::nullopt;
}

bool CliLink::Start() {
  if (!LinkMayStart(processes_, paths_.root)) {
    return false;
  }
  link::KillStaleLink(pipe_);
  if (!link::StartLink(pipe_)) {
    return false;
  }
  started_ = true;
  const std::int64_t t = ecu_.Times().pipe_us;
  if (link::SendClientName(pipe_, processes_, OwnExecutableName(), t) != link::kOk) {
    return false;
  }
  return link::SendLinkInit(pipe_, t) == link::kOk;
}

bool CliLink::Connect(int port, Bytes* identity) {
  const std::uint8_t zero[1] = {0};
  if (ecu_.Message(link::MsgType::kReset, zero) != link::kOk) {
    return false;
  }
  // The link server's own answer wait, as configured for this installation.
  if (ecu_.SetEcuWait(false) != link::kOk) {
    return false;
  }
  const std::string profiles = link::ProfilesPayload(set_com_.firmware2);
  if (!profiles.empty()) {
    const Bytes payload(profiles.begin(), profiles.end());
    if (ecu_.Message(link::MsgType::kSetProfiles, payload) != link::kOk) {
      return false;
    }
  }
  const std::uint8_t number[1] = {static_cast<std::uint8_t>(port)};
  if (ecu_.Message(link::MsgType::kOpenPort, number, identity) != link::kOk) {
    return false;
  }
  if (pipe_.Last().header.link_state != 1) {
    Complain("no ECU answers on COM" + std::to_string(port));
    return false;
  }
  flags_.state = core::session_state::kConnected;
  return true;
}

}  // namespace velmora::cli
