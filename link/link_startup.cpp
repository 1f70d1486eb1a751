#include "link/link_startup.h"

#include "core/text.h"

namespace velmora::link {

LinkLocation LinkLocationFor(const core::PathTable& paths) {
  LinkLocation location;
  location.bin_dir = paths.bin;
  // The link server finds the installation from its own folder; naming the
  // root as well keeps the two in agreement when the folder is a link.
  if (!paths.root.empty()) {
    location.env.emplace_back("VELMORA_ROOT", paths.root);
  }
  return location;
}

void KillStaleLink(ModPipe& pipe) {
  pipe.ChiudiLink();
}

bool StartLink(ModPipe& pipe) {
  return pipe.AvviaLink();
}

std::string ClientName(platform::ProcessList& processes, std::string_view own_exe_name) {
  if (own_exe_name.empty()) {
    return {};
  }
  for (const auto& p : processes.List()) {
    if (core::EqualsNoCase(p.name, own_exe_name)) {
      return std::string(own_exe_name);
    }
  }
  return {};
}

int SendClientName(ModPipe& pipe, platform::ProcessList& processes, std::string_view own_exe_name,
                   std::int64_t timeout_us) {
  const std::string name = ClientName(processes, own_exe_name);
  const Bytes payload(name.begin(), name.end());
  return pipe.InviaMessaggio(MsgType::kClientName, payload, timeout_us, nullptr);
}

int SendLinkInit(ModPipe& pipe, std::int64_t timeout_us) {
  const std::uint8_t payload[1] = {0};
  return pipe.InviaMessaggio(MsgType::kReset, payload, timeout_us, nullptr);
}

int ShutdownLink(ModPipe& pipe, std::int64_t timeout_us) {
  if (!pipe.LinkAttivo()) {
    return kOk;
  }
  return pipe.InviaMessaggio(MsgType::kShutdown, {}, timeout_us, nullptr);
}

}  // namespace velmora::link
