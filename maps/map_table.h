#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "session/request_codes.h"

namespace velmora::maps {

// What each of the three maps goes with. The one place the map pages'
// codes, view bits and requests are written down; whoever needs them (the
// page models, the page switch, the window's page list) reads them here.
struct MapInfo {
  int map = 0;
  int grid_page = 0;        // page code of the grid view
  int carb_page = 0;        // page code of the carburation view
  std::uint8_t view_bit{};  // in byte 15 of the map configuration block
  int write_request = 0;    // after an edit
  int view_request = 0;     // the configuration record, after a view change
};

namespace map_info {
inline constexpr std::array<MapInfo, 3> kMaps{{
    {0, 12, 27, 8, session::request::kWriteBank1, session::request::kRecordAfterMap0},
    {1, 47, 48, 2, session::request::kWriteBank2, session::request::kRecordAfterMap1},
    {2, 49, 50, 1, session::request::kWriteBank3, session::request::kRecordAfterMap2},
}};
inline constexpr int kCount = static_cast<int>(kMaps.size());
inline constexpr int kPressureMap = 2;
// CMB_SelPage_1 offers maps 0 and 1 only.
inline constexpr int kSelPage1Entries = 2;

// Every map page code: the grid views of maps 0, 1, 2, then their
// carburation views.
inline constexpr std::array<int, 2 * kMaps.size()> kPageCodes = [] {
  std::array<int, 2 * kMaps.size()> codes{};
  for (std::size_t i = 0; i < kMaps.size(); ++i) {
    codes[i] = kMaps[i].grid_page;
    codes[kMaps.size() + i] = kMaps[i].carb_page;
  }
  return codes;
}();
}  // namespace map_info

// The map's row of the table; map 0's for an index outside 0..2.
[[nodiscard]] constexpr const MapInfo& InfoOfMap(int map) {
  if (map < 0 || map >= map_info::kCount) {
    return map_info::kMaps[0];
  }
  return map_info::kMaps[static_cast<std::size_t>(map)];
}

// The map a page code shows (grid or carburation view); -1 for other codes.
[[nodiscard]] constexpr int MapOfPage(int page_code) {
  for (const MapInfo& m : map_info::kMaps) {
    if (m.grid_page == page_code || m.carb_page == page_code) {
      return m.map;
    }
  }
  return -1;
}

// The page a map opens on: its carburation view when its bit is set in
// `view_flags` (byte 15 of the configuration block), else its grid view.
[[nodiscard]] constexpr int PageOfMap(int map, std::uint8_t view_flags) {
  const MapInfo& m = InfoOfMap(map);
  return (view_flags & m.view_bit) != 0 ? m.carb_page : m.grid_page;
}

}  // namespace velmora::maps
