// The Velmora workstation.
#include <QApplication>
#include <filesystem>

#include "apps/velmora/gui_startup_host.h"
#include "platform/posix/proc_process_list.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  velmora::core::StartupState state;
  velmora::app::GuiStartupHost host(state);
  const std::string exe = velmora::platform::SelfExecutablePath();
  const std::string exe_dir = std::filesystem::path(exe).parent_path().string();
  velmora::core::RunStartup(state, host, exe_dir);
  return app.exec();
}
