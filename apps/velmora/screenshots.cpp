#include "apps/velmora/screenshots.h"

#include <QCoreApplication>
#include <QPixmap>
#include <array>

#include "ui/page_codes.h"

namespace velmora::app {

namespace {

struct PageShot {
  int code;
  const char* name;
};

constexpr std::array<PageShot, 3> kShots = {{
    {ui::page_code::kMainMenu, "dashboard"},
    {ui::page_code::kLanguage, "language"},
    {ui::page_code::kConnection, "connection"},
}};

}  // namespace

bool SavePageScreenshots(ui::MainWindow& window, const std::string& dir) {
  bool ok = true;
  const int shown = window.ShownPage();
  for (const auto& shot : kShots) {
    window.SelezioneScheda(shot.code);
    // Let the page lay itself out and paint before it is captured.
    QCoreApplication::processEvents();
    const QString path = QString::fromStdString(dir + "/" + shot.name + ".png");
    ok = window.grab().save(path) && ok;
  }
  window.SelezioneScheda(shown);
  return ok;
}

}  // namespace velmora::app
