#pragma once

#include <string>

#include "ui/main_window.h"

namespace velmora::app {

// Saves a picture of every page of the window's page table as
// "<dir>/<name>.png", named as the table names it (dashboard, language,
// connection, map-grid, carburation, ...), and of the axis editor
// ("axes.png"), then shows the page that was in front again. False when a
// picture could not be written.
bool SavePageScreenshots(ui::MainWindow& window, const std::string& dir);

}  // namespace velmora::app
