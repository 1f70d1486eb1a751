// Arbitrary text as the remembered port (PortCom.ini) and as the port
// registry (PortReg.ini). Properties:
// - a remembered port is a number the port byte can carry;
// - registry entries come in number order, numbers and devices unique;
// - the registry written back after reading reads to the same entries and
//   identities, and writing it again changes nothing.
#include <cstdint>
#include <set>
#include <string>

#include "fuzz/fuzz_check.h"
#include "link/port_com.h"
#include "link/port_registry.h"
#include "platform/fake/fakes.h"

namespace {

using velmora::fuzz::Check;
namespace link = velmora::link;

void CheckEntries(const std::vector<link::PortEntry>& entries) {
  std::set<std::string> devices;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Check(i == 0 || entries[i - 1].number < entries[i].number);
    Check(!entries[i].device.empty() && devices.insert(entries[i].device).second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = velmora::fuzz::TextOf(data, size);
  if (const auto port = link::ParseRememberedPort(text)) {
    Check(*port >= 0 && *port <= link::kMaxPortNumber);
  }

  velmora::platform::FakeProcessList processes;
  const auto entries = link::ParsePortRegistry(text, processes);
  const auto identities = link::ParsePortIdentities(text);
  CheckEntries(entries);

  const std::string written = link::NormalisedPortRegistry(text);
  Check(link::ParsePortRegistry(written, processes) == entries);
  Check(link::ParsePortIdentities(written) == identities);
  Check(link::NormalisedPortRegistry(written) == written);
  return 0;
}
