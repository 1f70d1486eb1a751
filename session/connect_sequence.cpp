#include "session/connect_sequence.h"

#include <array>
#include <string>

#include "core/hex.h"
#include "core/text.h"
#include "link/port_com.h"
#include "link/port_discovery.h"

namespace velmora::session {

namespace {

constexpr std::array<std::uint8_t, 1> kZero = {0};

bool Abandoned(const core::SessionFlags& flags) {
  return flags.timeout || flags.exit_request || flags.ecu_lost;
}

link::PortListing Discover(ConnectEnv& env) {
  link::PortListing listing = link::ElencaPorte(env.enumerator, env.registry_file, env.box);
  if (env.access_notice != nullptr) {
    env.access_notice->Tell(listing.refused_devices, env.box);
  }
  env.host.ShowPorts(listing);
  return listing;
}

// One attempt on `port`: the profiles, then the port; the match, if any.
std::optional<link::IdentityMatch> Attempt(ConnectEnv& env, int port, Bytes& identity) {
  env.host.ShowCaption(env.texts.connecting_on_port + std::to_string(port));
  const std::string profiles = link::ProfilesPayload(env.set_com.firmware2);
  const Bytes profile_bytes(profiles.begin(), profiles.end());
  if (env.ecu.Message(link::MsgType::kSetProfiles, profile_bytes) != link::kOk) {
    return std::nullopt;
  }
  const std::array<std::uint8_t, 1> number = {static_cast<std::uint8_t>(port)};
  if (env.ecu.Message(link::MsgType::kOpenPort, number, &identity) != link::kOk ||
      env.ecu.Pipe().Last().header.link_state != 1) {
    return std::nullopt;
  }
  return link::MatchIdentity(identity, env.set_com.firmware1);
}

// The matched entry's own request (its fourth line), answered into entry 0.
void SendMatchedRequest(ConnectEnv& env, const link::IdentityMatch& match) {
  const auto index = static_cast<std::size_t>(match.entry - 1);
  if (index >= env.set_com.firmware1.size()) {
    return;
  }
  const auto frame = core::HexToBin(core::Trim(env.set_com.firmware1[index].text1));
  if (!frame || frame->empty()) {
    return;
  }
  Bytes answer;
  if (env.ecu.InviaComando(*frame, &answer) == link::kOk && !answer.empty()) {
    env.table.SetLastAnswer(0, answer);
    env.table.DecodificaRisposta(answer, 0);
  }
}

}  // namespace

std::optional<ConnectOutcome> ConnectAndIdentify(ConnectEnv& env) {
  env.flags.timeout = false;
  const std::optional<int> remembered = link::ReadRememberedPort(env.port_com_file);
  env.remembered = remembered;
  (void)env.ecu.Message(link::MsgType::kReset, kZero);
  // The link server's own answer wait, plain: until now it ran on its own
  // default, or on the long wait a long operation cut short left in force.
  (void)env.ecu.SetEcuWait(false);
  link::PortListing listing = Discover(env);
  std::optional<std::size_t> fixed;
  if (remembered) {
    fixed = link::FindPort(listing.ports, *remembered);
  }
  std::size_t index = fixed.value_or(0);
  (void)env.ecu.Message(link::MsgType::kPrepare, kZero);

  int attempts = 0;
  ConnectOutcome outcome;
  for (;;) {
    if (Abandoned(env.flags)) {
      return std::nullopt;
    }
    if (index >= listing.ports.size()) {
      listing = Discover(env);
      index = 0;
      if (listing.ports.empty()) {
        env.ecu.Pipe().Attendi(connect_timing::kRetryPauseUs);
        continue;
      }
    }
    const int port = listing.ports[index].number;
    outcome.identity.clear();
    if (const auto match = Attempt(env, port, outcome.identity)) {
      outcome.port = port;
      outcome.match = *match;
      break;
    }
    if (Abandoned(env.flags)) {
      return std::nullopt;
    }
    if (!fixed) {
      ++attempts;
      ++index;
      if (index >= listing.ports.size() || attempts >= connect_timing::kAttemptsBeforeRediscovery) {
        listing = Discover(env);
        index = 0;
        attempts = 0;
      }
    }
    env.ecu.Pipe().Attendi(connect_timing::kRetryPauseUs);
  }

  (void)env.ecu.Message(link::MsgType::kPrepare, kZero);
  env.ecu.Pipe().Attendi(connect_timing::kSettleUs);
  SendMatchedRequest(env, outcome.match);
  return outcome;
}

}  // namespace velmora::session
