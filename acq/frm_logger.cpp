#include "acq/frm_logger.h"

#include <algorithm>

#include "acq/logger_export.h"
#include "acq/osci_files.h"
#include "core/files.h"
#include "core/session_flags.h"

namespace velmora::acq {

namespace {

namespace ss = core::session_state;
namespace pe = session::page_event;

// The page event a recording start asks for: with an ECU connected, the
// check that it is not blank (whose records would mean nothing); without
// one, polling resumes with a fresh read so that records arrive.
int StartEvent(int session_state) {
  return core::IsConnectedState(session_state) ? pe::kBlankCheck : pe::kResume;
}

std::string WithoutExtension(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t sep = path.find_last_of("/\\");
  return dot != std::string::npos && (sep == std::string::npos || dot > sep) ? path.substr(0, dot)
                                                                             : path;
}

void Raise(Channel& c) {
  const GainStep g = GainStepOf(c.variable_id);
  c.zoom = std::min(c.zoom + g.step, g.max);
}

void Lower(Channel& c) {
  const GainStep g = GainStepOf(c.variable_id);
  c.zoom = std::max(c.zoom - g.step, g.step);
}

void MoveUp(Channel& c) {
  c.offset = std::max(c.offset - 1, 0);
}

void MoveDown(Channel& c) {
  c.offset = std::min(c.offset + 1, logger::kMaxOffset);
}

}  // namespace

std::string CompanionOf(const std::string& path) {
  const auto& ext = logger_filter::kViewExtensions;
  for (std::size_t i = 0; i < ext.size(); ++i) {
    if (path.size() > ext[i].size() && path.ends_with(ext[i])) {
      return WithoutExtension(path) + std::string(ext[1 - i]);
    }
  }
  return {};
}

FrmLogger::FrmLogger(pages::PageEnv& env) : env_(env), recorder_(env.clock) {
  Load();
  env_.table.SetRecordSink(&recorder_);
}

FrmLogger::~FrmLogger() {
  env_.table.SetRecordSink(nullptr);
}

void FrmLogger::Load() {
  std::vector<std::string> lines;
  if (core::LeggiRighe(env_.paths.osci_list, lines)) {
    variables_ = ReadVariableList(lines);
  }
  lines.clear();
  if (core::LeggiRighe(env_.paths.osci_setup, lines)) {
    ReadChannelSetup(lines, channels_);
  }
  CaricaLingua(env_.lingue);
  UpdateControls();
}

void FrmLogger::CaricaLingua(const core::ClsLingue& lingue) {
  texts_ = LoggerTextsFrom(lingue);
  language_ = std::max<int>(lingue.IdLingua(), 0);
  ApplyNames();
}

void FrmLogger::ApplyNames() {
  ApplyVariables(channels_, variables_, language_);
}

std::vector<std::string> FrmLogger::VariableNames() const {
  std::vector<std::string> names;
  names.reserve(variables_.size());
  for (const Variable& v : variables_) {
    names.emplace_back(NameIn(v, language_));
  }
  return names;
}

void FrmLogger::SaveSetup() {
  (void)core::WriteFileAtomic(env_.paths.osci_setup, ChannelSetupText(channels_));
}

void FrmLogger::Tell(const std::string& text) {
  env_.box.Show(text, env_.main_title, platform::BoxKind::Information);
}

bool FrmLogger::OptRun(int index) {
  if (index == 1) {
    recorder_.Stop();
    UpdateControls();
    return true;
  }
  if (recorder_.State() == LoggerState::kRecording) {
    return false;
  }
  if (!recorder_.Start(env_.paths.logger_tmp, env_.table.LastAnswer(link::live::kMainRecordIndex),
                       IdsOf(channels_), LocalDateTimeText())) {
    Tell(texts_.write_failed);
    return false;
  }
  SvuotaLog();
  write_failure_told_ = false;
  env_.session.SetPageEvent(StartEvent(env_.session.State()));
  UpdateControls();
  return true;
}

bool FrmLogger::CmdSaveLogOsc(const std::string& path) {
  if (recorder_.State() != LoggerState::kStopped || path.empty()) {
    return false;
  }
  std::string text;
  if (!core::ReadWholeFile(recorder_.Path(), text)) {
    Tell(texts_.read_failed);
    return false;
  }
  // Written beside and renamed: a failed write, or the traffic log chosen
  // as its own copy, never leaves a cut file.
  if (!core::WriteFileAtomic(path, text)) {
    Tell(texts_.save_failed);
    return false;
  }
  current_file_ = path;
  shown_text_.clear();
  ShowFrom(text);
  return true;
}

void FrmLogger::SvuotaLog() {
  samples_.Clear();
  shown_text_.clear();
  current_file_.clear();
  cursors_ = {};
  window_ = {};
}

bool FrmLogger::CmdOpen(const std::string& path) {
  if (recorder_.State() == LoggerState::kRecording) {
    return false;
  }
  return ApriFileLogger(path);
}

bool FrmLogger::ApriFileLogger(const std::string& path) {
  if (recorder_.State() == LoggerState::kRecording || !core::EsisteFile(path)) {
    return false;
  }
  std::string text;
  if (!core::ReadWholeFile(path, text)) {
    Tell(texts_.read_failed);
    return false;
  }
  current_file_ = path;
  shown_text_.clear();
  ShowFrom(text);
  if (const std::string other = CompanionOf(path); !other.empty() && core::EsisteFile(other)) {
    Tell(texts_.companion);
  }
  return true;
}

void FrmLogger::ShowRecording(std::string_view text) {
  if (recorder_.State() == LoggerState::kRecording) {
    return;
  }
  current_file_.clear();
  shown_text_ = std::string(text);
  ShowFrom(shown_text_);
  FitChannels(channels_, samples_, size_);
  // Wide enough to show the engine warming up and switching to gas.
  window_.zoom = logger::kTimeZooms[1];
  UpdateControls();
  if (!samples_.Empty()) {
    const std::int64_t span = VisibleSpanMs(size_.WidthTwips(), window_.zoom);
    cursors_[0] = window_.start_ms + span / 4;
    cursors_[1] = window_.start_ms + span * 3 / 5;
  }
}

void FrmLogger::ShowFrom(std::string_view text) {
  samples_ = RebuildSamples(text, env_.table, IdsOf(channels_), progress);
  recorder_.SetState(LoggerState::kIdle);
  window_.start_ms = samples_.Empty() ? 0 : samples_.Time(0);
  window_.first_sample = 0;
  cursors_ = {};
  scroll_seen_ = 0;
  UpdateControls();
}

void FrmLogger::RebuildCurrent() {
  std::string text;
  if (!current_file_.empty()) {
    if (!core::ReadWholeFile(current_file_, text)) {
      Tell(texts_.read_failed);
      return;
    }
  } else if (shown_text_.empty()) {
    return;
  }
  const std::string_view source = current_file_.empty() ? std::string_view(shown_text_) : text;
  samples_ = RebuildSamples(source, env_.table, IdsOf(channels_), progress);
  window_.first_sample = FirstSampleAtOrAfter(samples_, window_.start_ms);
}

bool FrmLogger::CmdEsporta(const std::string& path) {
  if (!controls_.export_file || path.empty()) {
    return false;
  }
  if (!core::WriteFileAtomic(path, ExportText(samples_, channels_))) {
    Tell(texts_.save_failed);
    return false;
  }
  return true;
}

bool FrmLogger::ExportCsv(const std::string& path) {
  if (!controls_.export_file || path.empty()) {
    return false;
  }
  if (!core::WriteFileAtomic(path, acq::ExportCsv(samples_, channels_))) {
    Tell(texts_.save_failed);
    return false;
  }
  return true;
}

void FrmLogger::CmdReset() {
  const auto n = static_cast<std::int32_t>(std::count_if(
      channels_.begin(), channels_.end(), [](const Channel& c) { return c.visible; }));
  // With nothing shown there is nothing to spread (and nothing to divide by).
  if (n == 0) {
    return;
  }
  std::int32_t k = 0;
  for (Channel& c : channels_) {
    if (c.visible) {
      c.offset = 100 / n * k++;
    }
  }
  SaveSetup();
}

void FrmLogger::CmdFit() {
  FitChannels(channels_, samples_, size_);
  SaveSetup();
}

void FrmLogger::CmdNext() {
  StepNext(window_, samples_, size_.WidthTwips());
}

void FrmLogger::CmdPrev() {
  StepPrev(window_, samples_, size_.WidthTwips());
}

void FrmLogger::CmdZin() {
  if (const auto z = TimeZoomIn(window_.zoom); z && controls_.zoom_in_time) {
    window_.zoom = *z;
  }
  UpdateControls();
}

void FrmLogger::CmdZOut() {
  if (const auto z = TimeZoomOut(window_.zoom); z && controls_.zoom_out_time) {
    window_.zoom = *z;
  }
  UpdateControls();
}

void FrmLogger::ChangeSelected(void (*change)(Channel&)) {
  change(channels_[selected_]);
  SaveSetup();
}

void FrmLogger::CmdZoomIn() {
  ChangeSelected(Raise);
}

void FrmLogger::CmdZoomOut() {
  ChangeSelected(Lower);
}

void FrmLogger::CmdUp() {
  ChangeSelected(MoveUp);
}

void FrmLogger::CmdDw() {
  ChangeSelected(MoveDown);
}

void FrmLogger::ScrlTime(int value) {
  if (value > scroll_seen_) {
    CmdNext();
  } else if (value < scroll_seen_) {
    CmdPrev();
  }
  scroll_seen_ = ScrollValue();
}

void FrmLogger::JumpTo(std::int64_t t_ms) {
  if (samples_.Empty() || recorder_.State() != LoggerState::kIdle) {
    return;
  }
  const std::int64_t half = VisibleSpanMs(size_.WidthTwips(), window_.zoom) / 2;
  const std::int64_t first = samples_.Time(0);
  const std::int64_t last = samples_.Time(samples_.Count() - 1);
  const std::int64_t start = std::clamp<std::int64_t>(t_ms - half, first, std::max(first, last));
  window_.start_ms = std::max(first, start - start % 1000);
  window_.first_sample = FirstSampleAtOrAfter(samples_, window_.start_ms);
  scroll_seen_ = ScrollValue();
}

bool FrmLogger::AskSaveFirst() {
  return recorder_.State() == LoggerState::kStopped &&
         env_.box.Ask(texts_.unsaved, env_.main_title);
}

void FrmLogger::LstVar(std::size_t index) {
  if (index >= variables_.size()) {
    return;
  }
  const Variable& v = variables_[index];
  Channel& c = channels_[selected_];
  c.variable_id = v.id;
  c.scale = v.multiplier;
  c.text = v.text;
  c.name = std::string(NameIn(v, language_));
  SaveSetup();
  recorder_.SetIds(IdsOf(channels_));
  if (recorder_.State() == LoggerState::kIdle) {
    RebuildCurrent();
  }
}

void FrmLogger::LblSignal(std::size_t channel) {
  if (channel < channels_.size()) {
    selected_ = channel;
  }
}

void FrmLogger::PctMostra(std::size_t channel) {
  if (channel < channels_.size()) {
    channels_[channel].visible = !channels_[channel].visible;
    SaveSetup();
  }
}

void FrmLogger::SetCursor(int which, int x_px) {
  if ((which == 0 || which == 1) && !samples_.Empty() && recorder_.State() == LoggerState::kIdle) {
    cursors_[static_cast<std::size_t>(which)] = TimeAtColumn(window_, x_px);
  }
}

void FrmLogger::SetPlotSize(const PlotSize& size) {
  size_ = {std::max(size.width_px, 1), std::max(size.height_px, 1)};
  scroll_seen_ = ScrollValue();
}

void FrmLogger::UpdateControls() {
  const LoggerState s = recorder_.State();
  const bool shown = s == LoggerState::kIdle && !samples_.Empty();
  controls_.start = s != LoggerState::kRecording;
  controls_.stop = s == LoggerState::kRecording;
  controls_.save = s == LoggerState::kStopped;
  controls_.open = s != LoggerState::kRecording;
  controls_.export_file = shown;
  controls_.scroll = shown;
  controls_.next = shown;
  controls_.prev = shown;
  controls_.zoom_in_time = shown && TimeZoomIn(window_.zoom).has_value();
  controls_.zoom_out_time = shown && TimeZoomOut(window_.zoom).has_value();
}

void FrmLogger::LiveTick() {
  if (recorder_.State() == LoggerState::kRecording && recorder_.WriteFailed() &&
      !write_failure_told_) {
    write_failure_told_ = true;
    recorder_.Stop();
    UpdateControls();
    Tell(texts_.write_failed);
  }
}

PlotLayout FrmLogger::Layout() const {
  if (recorder_.State() != LoggerState::kIdle) {
    return PlottaPuntiniRunTime(recorder_.Window(), channels_, size_);
  }
  return RecordedLayout(samples_, channels_, window_, size_);
}

OverviewLayout FrmLogger::OverviewOf(const PlotSize& strip) const {
  return Overview(samples_, channels_, window_, VisibleSpanMs(size_.WidthTwips(), window_.zoom),
                  strip);
}

std::int32_t FrmLogger::ShownValue(std::size_t channel, bool* known) const {
  *known = false;
  if (recorder_.State() != LoggerState::kIdle) {
    const SampleRing& ring = recorder_.Window();
    *known = ring.Size() > 0;
    return *known ? ring.Live(ring.Size() - 1)[1 + channel] : 0;
  }
  if (!cursors_[0]) {
    return 0;
  }
  const std::optional<std::size_t> s = SampleAt(samples_, *cursors_[0]);
  *known = s.has_value();
  return s ? samples_.Value(*s, channel) : 0;
}

std::string FrmLogger::ValueText(std::size_t channel, std::optional<std::int64_t> t) const {
  const Channel& c = channels_[channel];
  const std::optional<std::size_t> s = t ? SampleAt(samples_, *t) : std::nullopt;
  if (!s) {
    return {};
  }
  const std::string v = ScaledText(samples_.Value(*s, channel), c.scale);
  return c.text.empty() ? v : v + " " + c.text;
}

std::string FrmLogger::SignalLabel(std::size_t channel) const {
  if (channel >= channels_.size()) {
    return {};
  }
  const Channel& c = channels_[channel];
  std::string label = c.name + " [x" + std::to_string(c.zoom) + "]\n";
  bool known = false;
  const std::int32_t v = ShownValue(channel, &known);
  if (known) {
    label += ScaledText(v, c.scale) + (c.text.empty() ? "" : " " + c.text);
  }
  return label;
}

std::string FrmLogger::TimeLabel() const {
  return cursors_[0] && recorder_.State() == LoggerState::kIdle ? CursorTimeText(*cursors_[0])
                                                                : std::string();
}

CursorReadout FrmLogger::Cursors() const {
  CursorReadout r;
  if (recorder_.State() != LoggerState::kIdle) {
    return r;
  }
  r.a_ms = cursors_[0];
  r.b_ms = cursors_[1];
  for (std::size_t c = 0; c < channels_.size(); ++c) {
    r.at_a[c] = ValueText(c, cursors_[0]);
    r.at_b[c] = ValueText(c, cursors_[1]);
  }
  return r;
}

int FrmLogger::ScrollValue() const {
  const std::int64_t step = ScrollStepMs(size_.WidthTwips(), window_.zoom);
  if (samples_.Empty() || step <= 0) {
    return 0;
  }
  return static_cast<int>((window_.start_ms - samples_.Time(0)) / step);
}

int FrmLogger::ScrollMax() const {
  const std::int64_t step = ScrollStepMs(size_.WidthTwips(), window_.zoom);
  if (samples_.Empty() || step <= 0) {
    return 0;
  }
  return static_cast<int>((samples_.Time(samples_.Count() - 1) - samples_.Time(0)) / step);
}

std::string FrmLogger::StatusText() const {
  switch (recorder_.State()) {
    case LoggerState::kRecording:
      return texts_.recording + "  " + texts_.records + ": " + std::to_string(recorder_.Records());
    case LoggerState::kStopped:
      return texts_.records + ": " + std::to_string(recorder_.Records());
    case LoggerState::kIdle:
      break;
  }
  return samples_.Empty() ? texts_.no_samples
                          : texts_.records + ": " + std::to_string(samples_.Count());
}

}  // namespace velmora::acq
