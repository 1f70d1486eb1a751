#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diag/obd_controls.h"
#include "diag/obd_live.h"
#include "diag/obd_texts.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::diag {

// One control as the view shows it: its items, the choice shown (a list
// position, or 0/1 for a box) and whether a change waits to be written.
struct ObdControlState {
  std::vector<std::string> items;
  int choice = -1;
  bool pending = false;                  // its Tag
  std::optional<std::int32_t> last_ecu;  // the ECU's value last shown
  // The ECU's value when no item shows it; empty otherwise.
  std::string unlisted;
};

// The car's trouble codes as the page lists them.
struct DtcDisplay {
  std::vector<std::string> selective;  // LST_Selettivo, from entry 19
  int selected = -1;
  std::vector<std::string> stored;  // the car's stored codes, from entry 20
  bool stored_read = false;
  bool mil_on = false;
};

// FrmObd: the OBD link's settings and the adaptation, the live fuel trims,
// the trouble-code list and the malfunction lamp. Every change only marks
// its control; the periodic updates write one marked control per tick when
// no request is pending. It registers the work of 20, 33 and 66.
class FrmObd final : public pages::PageModel {
 public:
  // `map_page` is the page code of the correction map window.
  FrmObd(pages::PageEnv& env, int map_page);

  void CaricaLingua();
  void RiempiCmbSwtch();
  // Run, stop and the link selections (one per tick), then the technical
  // data and the trouble codes.
  void AggiornaVisualizzazione();
  // One marked parameter per tick, else the 3-second OBD read; then the
  // controls whose ECU value changed.
  void AggiornaVisualizzazioni();
  // Every control from the ECU's values.
  void AggiornaSelezioniObd();
  void AggiornaParametriObd();
  void AggiornaVisualizzazioneNew();
  // Forgets the values shown, so the next refresh shows every control again.
  void AzzeraRiferimenti();

  // The user's actions: a combo's position, a box's state (0/1), a button.
  void Choose(ObdControl id, int choice);
  void SetDtcText(std::string text) { dtc_text_ = std::move(text); }
  void AddDtc();
  void SelectDtc(int index) { dtcs_.selected = index; }
  void RemoveDtc();
  void ToggleAdvanced();
  void OpenMapWindow();
  // FrmInitObd's CmdAnnulla.
  void CloseStartWindow() { start_window_ = false; }

  [[nodiscard]] const ObdTexts& Texts() const { return texts_; }
  [[nodiscard]] const ObdControlState& Control(ObdControl id) const {
    return controls_[static_cast<std::size_t>(id)];
  }
  [[nodiscard]] const ObdLive& Live() const { return live_; }
  // LblNumEcuObd: three lines.
  [[nodiscard]] const std::string& TechnicalData() const { return technical_; }
  [[nodiscard]] const DtcDisplay& Dtcs() const { return dtcs_; }
  [[nodiscard]] const std::string& TypedDtc() const { return dtc_text_; }
  [[nodiscard]] const std::string& Notice() const { return notice_; }
  [[nodiscard]] bool Advanced() const { return advanced_; }
  [[nodiscard]] std::string AdvancedCaption() const { return advanced_ ? "<<<" : ">>>"; }
  [[nodiscard]] bool Running() const;
  // FrmInitObd: shown while the link starts, with the protocol being tried.
  [[nodiscard]] bool StartWindowShown() const { return start_window_; }
  [[nodiscard]] const std::string& StartProtocol() const { return start_protocol_; }

  // pages::PageModel
  void Shown() override;
  void LiveTick() override;
  void Refresh() override;
  void CalibrationRead() override;

 private:
  void RegisterRequests();
  // Writes the control's marked change; false when it could not be posted.
  bool Post(ObdControl id);
  bool PostRecordByte(const ControlSpec& control, std::int32_t value);
  bool PostRecords(std::size_t entry, const std::vector<session::WriteRecord>& records,
                   int request);
  // The selective-clear list as it would be after adding or removing.
  [[nodiscard]] std::vector<session::WriteRecord> DtcRecords(bool add);
  [[nodiscard]] std::optional<std::int32_t> EcuValue(const ControlSpec& control) const;
  void ShowFromEcu(bool all);

  pages::PageEnv& env_;
  int map_page_;
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
  ObdTexts texts_;
  std::array<ObdControlState, kObdControls> controls_{};
  ObdLive live_;
  std::string technical_;
  DtcDisplay dtcs_;
  std::string dtc_text_;
  std::optional<std::uint16_t> dtc_to_add_;
  std::string notice_;
  bool advanced_ = false;
  bool info_tag_ = false;  // the car's stored codes to be read (66)
  bool start_window_ = false;
  std::string start_protocol_;
  std::int64_t next_refresh_us_ = 0;
  bool updating_ = false;
};

}  // namespace velmora::diag
