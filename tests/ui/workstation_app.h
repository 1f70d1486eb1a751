#pragma once

#include <string>

#include "apps/velmora/gui_startup_host.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "core/startup.h"
#include "link/link_startup.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/sys_io.h"
#include "ui/qt_event_pump.h"

namespace velmora::test {

// The workstation as the program starts it, on the installation root
// `root`, with its real link server and clock but fake message boxes and no
// serial hardware (the port registry's ports only).
struct WorkstationApp {
  WorkstationApp(const std::string& root, const std::string& client_name)
      : paths(core::FillPathTable(root)),
        pipe(link::PipeServices{box, clock, pump, processes, platform::PosixSysIo(), flags},
             link::LinkLocationFor(paths)),
        host(state, app::WorkstationServices{pipe, flags, box, clock, pump, enumerator}, processes,
             client_name) {
    core::RunStartup(state, host, paths.bin);
  }

  ui::MainWindow& Window() { return host.Context()->Window(); }
  session::Session& Session() { return host.Context()->Session(); }
  link::MessageTable& Table() { return host.Context()->Table(); }

  core::PathTable paths;
  platform::FakeMessageBox box;
  platform::PosixClock clock;
  ui::QtEventPump pump;
  platform::ProcProcessList processes;
  platform::FakeSerialEnumerator enumerator;
  core::SessionFlags flags;
  core::StartupState state;
  link::ModPipe pipe;
  app::GuiStartupHost host;
};

}  // namespace velmora::test
