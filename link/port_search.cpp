#include "link/port_search.h"

#include "link/port_com.h"

namespace velmora::link {
namespace {

constexpr std::string_view kProfileIntro = "//";

Bytes ProfilePayload(const std::string& profile) {
  std::string text = profile;
  // A profile written with its "//" already is not introduced twice.
  if (!text.starts_with(kProfileIntro)) {
    text.insert(0, kProfileIntro);
  }
  return Bytes(text.begin(), text.end());
}

bool Abandoned(ModPipe& pipe) {
  const core::SessionFlags& flags = pipe.Flags();
  return flags.timeout || flags.exit_request;
}

}  // namespace

int CercaPorta(EcuAccess& ecu, const core::SetComConfig& config, const std::string& port_com_file) {
  const std::uint8_t zero[1] = {0};
  (void)ecu.Message(MsgType::kReset, zero);
  for (const core::FirmwareEntry& profile : config.firmware2) {
    // Each exchange may have timed out or been stopped from the search window.
    if (Abandoned(ecu.Pipe())) {
      return kNoPortFound;
    }
    (void)ecu.Message(MsgType::kSetProfiles, ProfilePayload(profile.text1));
    if (Abandoned(ecu.Pipe())) {
      return kNoPortFound;
    }
    const int code = ecu.Message(MsgType::kSearch, zero);
    const int port = ecu.Pipe().Last().header.port;
    if (code == kOk && port > 0) {
      (void)WriteRememberedPort(port_com_file, port);
      return port;
    }
  }
  return kNoPortFound;
}

}  // namespace velmora::link
