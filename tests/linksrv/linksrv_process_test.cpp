// The virtual ECU as a real process: it registers its line under the port it
// prints for as long as it runs. LinkSrv between the workstation and the
// virtual ECU is exercised by the end-to-end tests.

#include <gtest/gtest.h>

#include <csignal>

#include "link/port_registry.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::link {
namespace {

TEST(EcusimProcess, RegistersItsLineWhileItRuns) {
  const e2e::TempRoot root;
  const std::string registry = PortRegistryPath(root.Bin());
  e2e::Process ecu(e2e::StageBin() + "/velmora-ecusim", {"--root", root.Root(), "--port", "4"});
  const auto line = ecu.FirstLine(10'000);
  ASSERT_TRUE(line) << ecu.err_text;
  const auto parts = core::Split(*line, ' ');
  ASSERT_EQ(parts.size(), 2u) << *line;
  EXPECT_EQ(parts[1], "4");
  EXPECT_EQ(LookupPort(registry, 4), parts[0]);
  ecu.Signal(SIGTERM);
  EXPECT_EQ(ecu.Wait(10'000), 0);
  EXPECT_EQ(LookupPort(registry, 4), std::nullopt);
}

}  // namespace
}  // namespace velmora::link
