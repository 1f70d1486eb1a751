#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "session/session_host.h"
#include "session/session_texts.h"

namespace velmora::cli {

// The main window's part of the session for a program without one: notices
// go to standard error, titles and captions too when echoing is on (each
// once while it stays the same), and the rest is handed to the command that
// watches.
class HeadlessHost final : public session::SessionHost {
 public:
  explicit HeadlessHost(session::SessionTexts texts) : texts_(std::move(texts)) {}

  void ShowTitle(std::string_view text) override;
  void ShowCaption(std::string_view text) override;
  void ShowNotice(std::string_view text) override;
  void StateChanged(int from, int to) override;
  void Unload() override;
  void EnableTimer2(bool enable) override { timer2_ = enable; }
  void MapWritten(int /*map*/, bool /*ok*/) override { ++maps_written_; }
  void CalibrationRead() override { ++calibration_reads_; }
  void RequestRefused(int /*code*/) override { ++refusals_; }

  void SetEcho(bool echo) { echo_ = echo; }
  // True from the moment the identified ECU's full read begins until the
  // session searches again.
  [[nodiscard]] bool Reading() const { return reading_; }
  // The last full read of the identified ECU failed part way.
  [[nodiscard]] bool ReadFailed() const { return read_failed_; }
  [[nodiscard]] bool Timer2Enabled() const { return timer2_; }
  // How many map writes have ended (run or dropped), and how many times the
  // whole image was read or opened anew.
  [[nodiscard]] int MapsWritten() const { return maps_written_; }
  [[nodiscard]] int CalibrationReads() const { return calibration_reads_; }
  // How many image writes the session refused after an incomplete read.
  [[nodiscard]] int Refusals() const { return refusals_; }

  // Each state change, as it happens.
  std::function<void(int from, int to)> on_state;
  // The session wants the window gone.
  std::function<void()> on_unload;

 private:
  void Echo(std::string_view text);

  session::SessionTexts texts_;
  bool echo_ = false;
  bool reading_ = false;
  bool read_failed_ = false;
  bool timer2_ = true;
  int maps_written_ = 0;
  int calibration_reads_ = 0;
  int refusals_ = 0;
  std::string last_echo_;
};

}  // namespace velmora::cli
