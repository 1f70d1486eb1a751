#pragma once

#include <algorithm>
#include <memory>

#include "maps/frm_carburazione.h"
#include "maps/frm_matrix.h"
#include "pages/page_registry.h"

namespace velmora::maps {

// The page a map opens on: its carburation view when its bit in byte 15 of
// the map configuration block is set, else its grid view.
[[nodiscard]] int MapPageCodeFor(int map, const Bytes& configuration_block);

// One view of one map (`Page` is FrmMatrix or FrmCarburazione) as the
// workstation's page registry drives it: shown, ticked while in front,
// reloaded after the full read, told of its map's writes. Both views of a
// map share the map's navigation row, which opens the view the map's flag
// chooses.
template <class Page>
class MapPageModel final : public pages::PageModel {
 public:
  // `code` is one of the map's page codes.
  MapPageModel(MapPageEnv& env, int code)
      : env_(env), code_(code), map_(std::max(0, MapOfPage(code))), page_(env, map_) {
    page_.Load();
  }

  [[nodiscard]] Page& Model() { return page_; }

  void Shown() override {
    page_.CambiaTipoGriglia(code_);
    // Complete at once, not at the next live tick: the working point and
    // the parameters as last read.
    if (!env_.table.LastAnswer(live_point::kEntry).empty()) {
      page_.Tick();
    }
  }
  void LiveTick() override { page_.Tick(); }
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }
  void CalibrationRead() override {
    page_.CaricaAssi();
    page_.CambiaTipoGriglia(code_);
  }
  void MapWritten(int map, bool ok) override {
    if (map == map_) {
      page_.MapWritten(ok);
    }
  }
  [[nodiscard]] int RowOpens(int /*own*/) const override {
    return MapPageCodeFor(map_, env_.image.companion);
  }

 private:
  MapPageEnv& env_;
  int code_;
  int map_;
  Page page_;
  bool enabled_ = true;
};

using MapGridModel = MapPageModel<FrmMatrix>;
using CarburationModel = MapPageModel<FrmCarburazione>;

// The factories a page table names.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewMapGridModel(MapPageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> NewCarburationModel(MapPageEnv& env, int code);

}  // namespace velmora::maps
