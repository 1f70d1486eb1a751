#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "diag/obd_live.h"
#include "diag/obd_map_file.h"
#include "diag/obd_texts.h"
#include "maps/grid_model.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::diag {

// FrmMappetta: the OBD correction map the ECU builds from the fuel trims,
// the cell the engine runs in now, the live OBD values, the fifteen row
// limits and the correction agent (entry 14), and the map file buttons. It
// registers the work of 31, 32, 33, 38 and 61.
class FrmMappetta final : public pages::PageModel {
 public:
  explicit FrmMappetta(pages::PageEnv& env);

  void CaricaLingua();
  // Fills the grid from the map record.
  void AggiornaGrigliaMappetta();
  // Every tick: the 2-second read, the current cell, the map, the live values.
  void AggiornaVariabiliMappettaSatellite();
  void AggiornaParametriObdMappettaSatellite();
  // The marked limit and agent changes, as one entry-14 list.
  void AggiornamentoMappetta();
  // The marked file button, one per tick, under the page's hold.
  void HandleFileButtons();

  // The user's actions.
  void SetLimitText(int row, std::string text);
  void WriteLimits() { limits_tag_ = true; }  // CHK_Jumper
  void ChooseAgent(int choice);
  void OpenMap() { open_tag_ = true; }
  void ResetMap() { reset_tag_ = true; }
  void SaveMap() { save_tag_ = true; }
  // CmdClipMatrix: the value cells, tab-separated, one line per row.
  [[nodiscard]] std::string CopyText() const;

  [[nodiscard]] const ObdTexts& Texts() const { return texts_; }
  [[nodiscard]] const maps::GridModel& Grid() const { return grid_; }
  [[nodiscard]] maps::GridModel& Grid() { return grid_; }
  // The highlighted cell, in map rows and columns.
  [[nodiscard]] const std::optional<MapCell>& Cell() const { return cell_; }
  [[nodiscard]] const std::array<std::string, obd_map::kRows>& Limits() const { return limits_; }
  [[nodiscard]] const std::vector<std::string>& AgentItems() const { return agent_items_; }
  [[nodiscard]] int AgentChoice() const { return agent_choice_; }
  [[nodiscard]] bool WritesPending() const { return limits_tag_ || agent_tag_; }
  [[nodiscard]] const ObdLive& Live() const { return live_; }
  [[nodiscard]] const std::string& Caption() const { return caption_; }
  [[nodiscard]] const std::string& Notice() const { return notice_; }

  // pages::PageModel
  void Shown() override;
  void LiveTick() override;
  void Refresh() override { Shown(); }
  void CalibrationRead() override { Shown(); }

 private:
  void RegisterRequests();
  void FillHeadings();
  void ShowEcuSettings();
  void ShowCell();
  [[nodiscard]] std::string MapFilter() const;
  void OpenChosenFile();
  void SaveChosenFile();

  pages::PageEnv& env_;
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
  ObdTexts texts_;
  maps::GridModel grid_;
  std::optional<Bytes> shown_map_;
  std::optional<MapCell> cell_;
  std::array<std::string, obd_map::kRows> limits_{};
  std::array<std::optional<std::int32_t>, obd_map::kRows> shown_limits_{};
  std::vector<std::string> agent_items_;
  int agent_choice_ = -1;
  std::optional<std::int32_t> shown_agent_;
  ObdLive live_;
  std::string caption_;
  std::string notice_;
  std::string open_path_;  // the map file request 38 loads
  std::int64_t next_refresh_us_ = 0;
  bool limits_tag_ = false;  // CHK_Jumper.Tag
  bool agent_tag_ = false;   // CMB_AgenteCorrExp.Tag
  bool open_tag_ = false;
  bool reset_tag_ = false;
  bool save_tag_ = false;
};

}  // namespace velmora::diag
