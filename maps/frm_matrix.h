#pragma once

#include "maps/map_page.h"

namespace velmora::maps {

// The injection map grid page: one map (0 base, 1 adaptive, 2 second) as a
// 24 x 25 grid of raw cell values under its rpm and injection-time (or
// pressure) headings.
class FrmMatrix final : public MapPage {
 public:
  FrmMatrix(MapPageEnv& env, int map);

  // The page's own page code (12, 47 or 49).
  [[nodiscard]] int PageCode() const { return Info().grid_page; }
};

}  // namespace velmora::maps
