#include "maps/map_page_model.h"

namespace velmora::maps {

int MapPageCodeFor(int map, const Bytes& configuration_block) {
  const std::uint8_t flags = configuration_block.size() > config_block::kViewByte
                                 ? configuration_block[config_block::kViewByte]
                                 : 0;
  return PageOfMap(map, flags);
}

std::unique_ptr<pages::PageModel> NewMapGridModel(MapPageEnv& env, int code) {
  return std::make_unique<MapGridModel>(env, code);
}

std::unique_ptr<pages::PageModel> NewCarburationModel(MapPageEnv& env, int code) {
  return std::make_unique<CarburationModel>(env, code);
}

}  // namespace velmora::maps
