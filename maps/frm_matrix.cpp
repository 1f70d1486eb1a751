#include "maps/frm_matrix.h"

namespace velmora::maps {

FrmMatrix::FrmMatrix(MapPageEnv& env, int map)
    : MapPage(env, map, map_shape::kGridRows, map_shape::kGridCols) {}

}  // namespace velmora::maps
