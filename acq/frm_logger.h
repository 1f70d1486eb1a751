#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acq/live_recorder.h"
#include "acq/log_rebuild.h"
#include "acq/logger_plot.h"
#include "acq/logger_texts.h"
#include "acq/logger_types.h"
#include "acq/time_window.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::acq {

// The codes the main window's page switch opens the acquisition pages with
// (no code of the ECU's pages).
namespace page_code {
inline constexpr int kLogger = 80;
inline constexpr int kReplay = 81;
}  // namespace page_code

// The file dialogs' filters (description|pattern pairs).
namespace logger_filter {
inline constexpr std::string_view kSave = "View Files  (*.vfl) |*.vfl|";
inline constexpr std::string_view kOpen = "View Files  (*.vfl)|*.vfl|Text Files  (*.txt)|*.txt";
inline constexpr std::string_view kExport = "Mod Files (*.txt)|*.txt|";
inline constexpr std::string_view kCsv = "CSV Files (*.csv)|*.csv|";
inline constexpr std::string_view kPng = "PNG Pictures (*.png)|*.png|";
// The extensions a view file may have; a file beside the chosen one with
// the other extension is its companion.
inline constexpr std::array<std::string_view, 2> kViewExtensions = {".vfl", ".txt"};
}  // namespace logger_filter

// Which buttons take a click, and whether the time scroll bar is shown.
struct LoggerControls {
  bool start = true;  // OptRun 0
  bool stop = false;  // OptRun 1
  bool next = false;
  bool prev = false;
  bool zoom_in_time = false;   // CmdZin
  bool zoom_out_time = false;  // CmdZOut
  bool save = false;           // CmdSaveLogOsc
  bool open = true;            // CmdOpen
  bool export_file = false;    // CmdEsporta (and the CSV and picture exports)
  bool scroll = false;         // ScrlTime shown
};

// What the two cursors read: their times, the difference, and each
// channel's value (in its unit) at both.
struct CursorReadout {
  std::optional<std::int64_t> a_ms;
  std::optional<std::int64_t> b_ms;
  std::array<std::string, logger::kChannels> at_a;
  std::array<std::string, logger::kChannels> at_b;
};

// The oscilloscope logger page (FrmLogger) without its window: the channel
// table and its setup files, recording through the session's live reads
// into the traffic log, the sample table rebuilt from a log, the window of
// a recording the plot shows, zoom and scroll, the cursors and the exports.
// The page never talks to the ECU: while it records, the message table
// hands it every traced record it decodes.
class FrmLogger final : public pages::PageModel {
 public:
  explicit FrmLogger(pages::PageEnv& env);
  ~FrmLogger() override;

  // Captions, and the channels' and the variable list's names in the
  // chosen language.
  void CaricaLingua(const core::ClsLingue& lingue);

  // --- the user's actions
  // OptRun: 0 starts a recording (refused while one runs, or when the
  // traffic log cannot be written), 1 stops it.
  bool OptRun(int index);
  // Saves the stopped recording as a view file (state 2 only), then shows
  // it. False when refused or when the file could not be written (said).
  bool CmdSaveLogOsc(const std::string& path);
  // After the open dialog: ApriFileLogger. Refused while recording; false
  // for a file that is not there or cannot be read.
  bool CmdOpen(const std::string& path);
  // Shows a view file from its start and tells of a companion file.
  bool ApriFileLogger(const std::string& path);
  bool CmdEsporta(const std::string& path);
  bool ExportCsv(const std::string& path);
  void CmdReset();
  void CmdNext();
  void CmdPrev();
  void CmdZin();
  void CmdZOut();
  void CmdZoomIn();
  void CmdZoomOut();
  void CmdUp();
  void CmdDw();
  // Lanes for the visible channels with gains that fill them; saved.
  void CmdFit();
  void ScrlTime(int value);
  // The window centred on `t_ms` (from a whole second, within the
  // recording): a click on the overview.
  void JumpTo(std::int64_t t_ms);
  // In state 2, before a new recording or another file replaces the one not
  // saved yet: whether the user wants to save it first.
  [[nodiscard]] bool AskSaveFirst();
  // LstVar: the variable at this place of the list goes to the selected
  // channel.
  void LstVar(std::size_t index);
  void LblSignal(std::size_t channel);
  void PctMostra(std::size_t channel);
  // Cursor 0 (A) or 1 (B) to the time at a pixel column of the plot.
  void SetCursor(int which, int x_px);
  void SetPlotSize(const PlotSize& size);

  // Shows a recording given as the text of a traffic log, without a file
  // behind it, with both cursors placed and the channels fitted (not
  // saved). For pictures of the page.
  void ShowRecording(std::string_view text);

  // --- what the view shows
  [[nodiscard]] LoggerState State() const { return recorder_.State(); }
  [[nodiscard]] const Channels& ChannelTable() const { return channels_; }
  [[nodiscard]] std::size_t Selected() const { return selected_; }
  [[nodiscard]] const std::vector<Variable>& VariableList() const { return variables_; }
  [[nodiscard]] std::vector<std::string> VariableNames() const;
  [[nodiscard]] const SampleTable& Samples() const { return samples_; }
  [[nodiscard]] const TimeWindow& Window() const { return window_; }
  [[nodiscard]] const LoggerControls& Controls() const { return controls_; }
  [[nodiscard]] const LoggerTexts& Texts() const { return texts_; }
  [[nodiscard]] const PlotSize& Size() const { return size_; }
  [[nodiscard]] const LiveRecorder& Recorder() const { return recorder_; }
  [[nodiscard]] const std::string& CurrentFile() const { return current_file_; }
  // The message table whose layouts decode the records.
  [[nodiscard]] const link::MessageTable& Table() const { return env_.table; }
  // The recording display while recording or stopped, else the window.
  [[nodiscard]] PlotLayout Layout() const;
  [[nodiscard]] OverviewLayout OverviewOf(const PlotSize& strip) const;
  // LblSignal: "name [xzoom]", a line break, the value under cursor A (the
  // newest value while recording).
  [[nodiscard]] std::string SignalLabel(std::size_t channel) const;
  // LblTime2 for cursor A; empty without it.
  [[nodiscard]] std::string TimeLabel() const;
  [[nodiscard]] CursorReadout Cursors() const;
  [[nodiscard]] int ScrollValue() const;
  [[nodiscard]] int ScrollMax() const;
  // The text shown while nothing else is: recording, records, no samples.
  [[nodiscard]] std::string StatusText() const;

  // Told of the rebuild's progress; the view shows it and lets events in.
  RebuildProgress progress;

  // pages::PageModel
  void LiveTick() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }
  void Closing() override { recorder_.Close(); }

 private:
  void Load();
  // The plot and the samples of what was shown go.
  void SvuotaLog();
  void SaveSetup();
  void ApplyNames();
  // Rebuilds the samples from `text` and shows them from their start.
  void ShowFrom(std::string_view text);
  void RebuildCurrent();
  void UpdateControls();
  void Tell(const std::string& text);
  void ChangeSelected(void (*change)(Channel&));
  [[nodiscard]] std::int32_t ShownValue(std::size_t channel, bool* known) const;
  [[nodiscard]] std::string ValueText(std::size_t channel, std::optional<std::int64_t> t) const;

  pages::PageEnv& env_;
  LiveRecorder recorder_;
  Channels channels_ = DefaultChannels();
  std::vector<Variable> variables_;
  int language_ = 0;
  std::size_t selected_ = 0;
  SampleTable samples_;
  TimeWindow window_;
  PlotSize size_;
  std::string current_file_;
  std::string shown_text_;  // a recording shown without a file
  std::array<std::optional<std::int64_t>, 2> cursors_{};
  int scroll_seen_ = 0;
  LoggerControls controls_;
  LoggerTexts texts_;
  bool enabled_ = true;
  bool write_failure_told_ = false;
};

// The companion of a view file: the same name with the other view
// extension; empty for a name without either.
[[nodiscard]] std::string CompanionOf(const std::string& path);

}  // namespace velmora::acq
