#include "maps/map_page_model.h"

namespace velmora::maps {

int MapPageCodeFor(int map, const Bytes& configuration_block) {
  const MapInfo& info = InfoOfMap(map);
  const bool simplified = configuration_block.size() > config_block::kViewByte &&
                          (configuration_block[config_block::kViewByte] & info.view_bit) != 0;
  return simplified ? info.carb_page : info.grid_page;
}

std::unique_ptr<pages::PageModel> NewMapGridModel(MapPageEnv& env, int code) {
  return std::make_unique<MapGridModel>(env, code);
}

std::unique_ptr<pages::PageModel> NewCarburationModel(MapPageEnv& env, int code) {
  return std::make_unique<CarburationModel>(env, code);
}

}  // namespace velmora::maps
