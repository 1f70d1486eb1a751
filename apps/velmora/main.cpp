// The Velmora workstation.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "apps/velmora/gui_startup_host.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "core/text.h"
#include "link/link_startup.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/stderr_message_box.h"
#include "platform/sys_io.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_message_box.h"

using namespace velmora;

int main(int argc, char** argv) {
  QApplication app(argc, argv);

  const std::filesystem::path exe(platform::SelfExecutablePath());
  const std::string exe_dir = exe.parent_path().string();

  core::SessionFlags flags;
  platform::ProcProcessList processes;
  platform::PosixClock clock;
  ui::QtEventPump pump;
  // A scripted run has nobody to close a modal box: its boxes go to stderr.
  const char* quit_after = std::getenv("VELMORA_QUIT_AFTER_MS");
  ui::QtMessageBox window_box;
  platform::StderrMessageBox stderr_box;
  platform::MessageBox& box =
      quit_after != nullptr ? static_cast<platform::MessageBox&>(stderr_box) : window_box;
  // The link server is ended before the path table exists, so its location
  // is worked out here from the same root.
  const auto paths = core::FillPathTable(core::RootFromExecutableDir(exe_dir));
  link::ModPipe pipe(link::PipeServices{box, clock, pump, processes, platform::PosixSysIo(), flags},
                     link::LinkLocationFor(paths));

  core::StartupState state;
  app::GuiStartupHost host(state, pipe, processes, exe.filename().string());
  core::RunStartup(state, host, exe_dir);
  if (host.Window() != nullptr) {
    window_box.SetParent(host.Window());
  }

  // A scripted run (the demo without a display, the documentation's
  // screenshots) closes itself, optionally saving a picture of the window.
  if (quit_after != nullptr) {
    if (auto ms = core::ParseInt32(quit_after); ms && *ms >= 0) {
      QTimer::singleShot(*ms, &app, [&host] {
        const char* shot = std::getenv("VELMORA_SCREENSHOT");
        if (shot != nullptr && host.Window() != nullptr) {
          host.Window()->grab().save(QString::fromUtf8(shot));
        }
        QApplication::closeAllWindows();
        QApplication::quit();
      });
    }
  }
  const int rc = app.exec();
  (void)link::ShutdownLink(pipe, state.set_com.attesa_pipe_usec);
  return rc;
}
