// The Velmora workstation.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>

#include "apps/common/standard_options.h"
#include "apps/velmora/gui_startup_host.h"
#include "apps/velmora/screenshots.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "core/text.h"
#include "link/link_startup.h"
#include "platform/posix/libserialport_enumerator.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/stderr_message_box.h"
#include "platform/sys_io.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_message_box.h"

using namespace velmora;

namespace {

// A scripted run that is still open this long after its close was asked
// for is ended anyway: nobody is there to answer a box.
constexpr int kScriptedCloseGraceMs = 15'000;

constexpr std::string_view kUsage =
    "usage: velmora [Qt options such as -platform NAME or -style NAME]\n"
    "       velmora --help | --version\n"
    "The Velmora workstation: starts its link server, finds the ECU and shows\n"
    "its pages. The environment variable VELMORA_QUIT_AFTER_MS closes it after\n"
    "that many milliseconds; VELMORA_SCREENSHOTS names a folder for pictures of\n"
    "its pages taken just before.\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts: no display, no window, no link server.
  if (const auto answered = apps::AnswerStandardOption(
          "velmora", kUsage, std::span<char* const>(argv + 1, argv + argc))) {
    return *answered;
  }
  QApplication app(argc, argv);
  // Qt has taken its own options out; whatever is left is not understood.
  if (app.arguments().size() > 1) {
    std::fprintf(stderr, "velmora: unknown option %s\n%s", qPrintable(app.arguments().at(1)),
                 kUsage.data());
    return apps::kUsageExit;
  }

  const std::filesystem::path exe(platform::SelfExecutablePath());
  const std::string exe_dir = exe.parent_path().string();

  core::SessionFlags flags;
  platform::ProcProcessList processes;
  platform::PosixClock clock;
  ui::QtEventPump pump;
  platform::LibserialportEnumerator enumerator;
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
  app::GuiStartupHost host(state,
                           app::WorkstationServices{pipe, flags, box, clock, pump, enumerator},
                           processes, exe.filename().string());
  core::RunStartup(state, host, exe_dir);
  ui::MainWindow* window = host.Window();
  if (window == nullptr) {
    (void)link::ShutdownLink(pipe, state.set_com.pipe_wait_us);
    return 1;
  }
  window_box.SetParent(window);

  // A scripted run (the demo without a display, the documentation's
  // screenshots) closes itself through the window's own exit sequence,
  // optionally saving pictures of its pages first.
  if (quit_after != nullptr) {
    if (auto ms = core::ParseInt32(quit_after); ms && *ms >= 0) {
      QTimer::singleShot(*ms, window, [window] {
        if (const char* dir = std::getenv("VELMORA_SCREENSHOTS")) {
          app::SavePageScreenshots(*window, dir);
        }
        window->close();
        QTimer::singleShot(kScriptedCloseGraceMs, qApp, [] { QApplication::quit(); });
      });
    }
  }
  const int rc = app.exec();
  if (!host.Context()->Session().Closed()) {
    (void)link::ShutdownLink(pipe, state.set_com.pipe_wait_us);
  }
  return rc;
}
