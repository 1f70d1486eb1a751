// The Velmora workstation.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "apps/velmora/gui_startup_host.h"
#include "core/text.h"
#include "platform/posix/proc_process_list.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  velmora::core::StartupState state;
  velmora::app::GuiStartupHost host(state);
  const std::string exe = velmora::platform::SelfExecutablePath();
  const std::string exe_dir = std::filesystem::path(exe).parent_path().string();
  velmora::core::RunStartup(state, host, exe_dir);
  // A scripted run (the demo without a display, the documentation's
  // screenshots) closes itself, optionally saving a picture of the window.
  if (const char* env = std::getenv("VELMORA_QUIT_AFTER_MS")) {
    if (auto ms = velmora::core::ParseInt32(env); ms && *ms >= 0) {
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
  return app.exec();
}
