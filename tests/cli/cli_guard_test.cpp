#include <gtest/gtest.h>

#include "apps/cli/workstation_guard.h"
#include "platform/fake/fakes.h"

namespace velmora::cli {
namespace {

TEST(WorkstationGuard, OnlyTheWorkstationOfThisInstallationAndUserStopsTheLink) {
  platform::FakeProcessList processes;  // the tool itself: pid 100, uid 1000
  processes.processes = {
      {7, 1000, "velmora", "/opt/other/bin/velmora", 0},        // another installation
      {8, 1001, "velmora", "/opt/vm/bin/velmora", 0},           // another user
      {9, 1000, "LinkSrv", "/opt/vm/bin/LinkSrv", 0},           // a link server is no workstation
      {10, 1000, "velmora-cli", "/opt/vm/bin/velmora-cli", 0},  // nor another tool
      {100, 1000, "velmora", "/opt/vm/bin/velmora", 0},         // the caller
      {11, 1000, "velmora", "", 0},                             // no executable path known
  };
  EXPECT_EQ(WorkstationRefusal(processes, "/opt/vm"), std::nullopt);
  EXPECT_TRUE(LinkMayStart(processes, "/opt/vm"));

  processes.processes.push_back({42, 1000, "velmora", "/opt/vm/bin/./velmora", 0});
  EXPECT_EQ(WorkstationRefusal(processes, "/opt/vm"),
            "velmora-cli: the workstation (pid 42) is running on this installation (/opt/vm); "
            "close it first");
  EXPECT_FALSE(LinkMayStart(processes, "/opt/vm"));
  EXPECT_EQ(WorkstationRefusal(processes, "/opt/other2"), std::nullopt);
}

}  // namespace
}  // namespace velmora::cli
