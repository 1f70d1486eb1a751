#pragma once

#include <string>

#include "calib/calibration_image.h"
#include "calib/coefficient_file.h"
#include "link/message_table.h"
#include "pages/page_services.h"
#include "platform/message_box.h"

namespace velmora::maps {

// The window services of a map page: those of every page, and the axis
// editor.
class MapPageWindow : public pages::PageWindow {
 public:
  // The axis editor, modally.
  virtual void OpenAxisEditor() = 0;
};

// What every map page works on. Nothing here is owned; `coefficients` may
// be null (no pressure line then: raw pressure bytes are shown).
struct MapPageEnv {
  calib::CalibrationImage& image;
  link::MessageTable& table;
  pages::PageSession& session;
  MapPageWindow& window;
  platform::MessageBox& box;
  const calib::CoefficientList* coefficients = nullptr;
  std::string lng_dir;     // the reference calibrations
  std::string main_title;  // caption of the critical boxes
};

}  // namespace velmora::maps
