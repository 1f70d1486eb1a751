#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "diag/error_catalogue.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::diag {

// The error grid's columns.
namespace error_column {
inline constexpr int kLabel = 0;
inline constexpr int kName = 1;
inline constexpr int kCurrent = 2;
inline constexpr int kStored = 3;
inline constexpr int kText0 = 4;  // 4, 5, 6: the state texts, not shown
inline constexpr int kSecondAction = 7;
inline constexpr int kMonitored = 8;
inline constexpr int kCount = 9;
}  // namespace error_column

// Texts of the page's two dictionary blocks, and the absolute entry of the
// erase refusal.
namespace error_text {
inline constexpr std::string_view kServiceMarker = "[FrmService]";
inline constexpr int kTitle = 1;     // LblTitolo, LblTGas, LblTPetrol, LblService, LblToService
inline constexpr int kResetGas = 6;  // CmdTGas, CmdTPetrol, CmdToService, CmdErrInjCanc
inline constexpr int kErrorsTitle = 10;
inline constexpr int kShortList = 11;
inline constexpr int kOverdue = 12;
inline constexpr std::string_view kGridMarker = "[FrmErrEcu]";
inline constexpr int kHint = 6;  // after the headers of columns 1, 2, 3, 8 and 7
inline constexpr int kEraseRefusedEntry = 42;
inline constexpr std::string_view kServiceKey = "[CmbService]";
inline constexpr std::string_view kServiceLowKey = "[CmbServiceLOW]";
}  // namespace error_text

struct ErrorPageTexts {
  std::string title = "Running time counters";
  std::string gas = "Gas running time (h.min)";
  std::string petrol = "Petrol running time (h.min)";
  std::string service = "Service interval";
  std::string to_service = "Time to next service (h.min)";
  std::string reset_gas = "Reset gas counter";
  std::string reset_petrol = "Reset petrol counter";
  std::string restart_service = "Restart service count";
  std::string erase = "Erase errors";
  std::string errors_title = "ECU errors";
  std::string short_list = "Short service interval";
  std::string overdue = "Service overdue";
  // Headers of columns 1, 2, 3, 8 and 7.
  std::array<std::string, 5> headers = {"Error", "Current state", "Stored state", "Monitored",
                                        "Back to petrol"};
  std::string hint = "Click a box to enable or disable the check";
  std::string erase_refused =
      "The error memory cannot be erased now: check the engine conditions and try again";
};

// One row of GrdErr (grid row = error number + 1).
struct ErrorRow {
  std::string label;  // Err 00
  CatalogueEntry entry;
  std::string current;
  std::string stored;
  int current_state = 0;  // the raw words
  int stored_state = 0;
  bool monitored = false;      // enable bit 0, column 8
  bool second_action = false;  // enable bit 1, column 7
  [[nodiscard]] bool Hidden() const { return entry.name.empty(); }
};

// A service interval list: its items and the hours each stands for (item
// 0 is 0 hours; -1 for an item without a number).
struct ServiceList {
  std::vector<std::string> items;
  std::vector<int> hours;
  int index = -1;
};

struct CounterTexts {
  std::string gas;
  std::string petrol;
  std::string to_service;
  bool overdue = false;
};

// FrmError: the ECU's error memory with its catalogue names and states, the
// per-error enable bits, the erase, the running-time counters and the service
// interval. It reads entries 1, 2, 4 and 15 and writes through the entry-2
// and entry-15 lists; it registers the work of requests 22 and 4.
class FrmError final : public pages::PageModel {
 public:
  explicit FrmError(pages::PageEnv& env);

  // Captions, the catalogue into the grid, the header texts, the lists.
  void CaricaLingua();
  void RiempiCmbSwtch();
  void VisualizzaErrori();
  void ClearErrori();
  void AggiornaAbilitazioni();
  // Every tick while the page is open: the 2-second refresh, then a pending
  // erase or enable-word write.
  void RichiediAggiornamentoErrori();
  void AggiornaVisualizzazioni();

  // The user's actions.
  void ClickGrid(int row, int col);
  void Erase() { erase_tag_ = true; }
  void ResetGasCounter();
  void ResetPetrolCounter();
  void RestartService();
  void ChooseService(bool low_list, int index);

  [[nodiscard]] const ErrorPageTexts& Texts() const { return texts_; }
  [[nodiscard]] const std::vector<ErrorRow>& Rows() const { return rows_; }
  [[nodiscard]] const CounterTexts& Counters() const { return counters_; }
  [[nodiscard]] const ServiceList& Service(bool low_list) const {
    return low_list ? service_low_ : service_;
  }
  // CmbServiceLOW is the list of the older hardware generations.
  [[nodiscard]] bool LowListShown() const;
  [[nodiscard]] bool ErasePending() const { return erase_tag_; }
  // The live record says the ECU allows its error memory to be erased now.
  [[nodiscard]] bool EraseAllowed() const;
  // The grid row whose enable word waits to be written; -1 for none.
  [[nodiscard]] int PendingEditRow() const { return grid_tag_ ? edit_field_ - 14 : -1; }

  // pages::PageModel
  void Shown() override;
  void LiveTick() override;
  void Refresh() override { Shown(); }
  void CalibrationRead() override { Shown(); }

 private:
  void RegisterRequests();
  void LoadTexts();
  // Posts 27 with one entry-2 record; nothing while a request is pending.
  void PostCounterWrite(std::int32_t field, std::int32_t value);
  [[nodiscard]] std::string StateText(std::size_t row, int word) const;
  void ShowServiceLists(int hours);

  pages::PageEnv& env_;
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
  ErrorPageTexts texts_;
  std::vector<ErrorRow> rows_;
  ServiceList service_;
  ServiceList service_low_;
  CounterTexts counters_;
  std::optional<Bytes> shown_errors_;  // entry 4's answer last shown
  std::int64_t next_refresh_us_ = 0;
  bool erase_tag_ = false;  // CmdErrInjCanc.Tag
  bool grid_tag_ = false;   // GrdErr.Tag
  std::int32_t edit_value_ = 0;
  std::int32_t edit_field_ = 0;
  bool updating_ = false;
};

}  // namespace velmora::diag
