#include "apps/velmora/screenshots.h"

#include <QCoreApplication>
#include <QPixmap>
#include <array>

#include "ui/frm_change_axis.h"
#include "ui/map_pages.h"
#include "ui/page_codes.h"

namespace velmora::app {

namespace {

struct PageShot {
  int code;
  const char* name;
};

constexpr std::array<PageShot, 5> kShots = {{
    {ui::page_code::kMainMenu, "dashboard"},
    {ui::page_code::kLanguage, "language"},
    {ui::page_code::kConnection, "connection"},
    {ui::page_code::kBaseMap, "map-grid"},
    {ui::page_code::kBaseCarburation, "carburation"},
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
  if (ui::MapPages* maps = window.Maps()) {
    window.SelezioneScheda(ui::page_code::kBaseMap);
    const auto editor = maps->NewAxisEditor();
    editor->show();
    QCoreApplication::processEvents();
    ok = editor->grab().save(QString::fromStdString(dir + "/axes.png")) && ok;
    editor->hide();
  }
  window.SelezioneScheda(shown);
  return ok;
}

}  // namespace velmora::app
