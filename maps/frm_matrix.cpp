#include "maps/frm_matrix.h"

namespace velmora::maps {

FrmMatrix::FrmMatrix(MapPageEnv& env, int map)
    : MapPage(env, map, map_shape::kGridRows, map_shape::kGridCols) {}

void FrmMatrix::Load() {
  MapPage::Load();
  Bytes& block = Env().image.companion;
  if (block.size() > config_block::kByte3) {
    block[config_block::kByte2] = config_block::kByte2OnLoad;
    block[config_block::kByte3] = config_block::kByte3OnLoad;
  }
}

}  // namespace velmora::maps
