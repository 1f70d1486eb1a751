#pragma once

#include <functional>
#include <optional>
#include <string>

#include "firmware/firmware_identity.h"
#include "firmware/firmware_texts.h"
#include "firmware/update_request.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::firmware {

// The firmware page's code for the page switch (no ECU page uses it).
inline constexpr int kFirmwarePage = 91;

// What the firmware page shows: plain texts and control states.
struct FirmwareShown {
  std::string ecu_version;  // "03.05 - 18/09/2019", or why there is none
  std::string ecu_text;
  std::string image_path;
  std::string image_version;  // "---" without an identification
  std::string image_text;
  std::string image_note;  // a missing or unusable image, or no image in the folder
  std::string verdict;     // newer, same, older, or why the image cannot go in
  std::string step;        // the running step
  std::string blocks;      // "120 blocks written of 1200"
  std::string backup;      // where the calibration was kept
  std::string message;     // the result, or a choice that was refused
  int bar = 0;             // out of progress::kFullWidth
  bool bar_visible = false;
  bool blink = false;
  bool running = false;     // the three buttons are off
  bool can_update = false;  // an image that may go into this ECU
};

// FrmFirmware: the ECU's and the image's versions side by side with the
// verdict, the choice of an image (CmdSelect), the update (CmdOk, the
// session's request kUpdateRequest) and its progress, and the close
// (CmdCancel). The update's work is registered when `links` is given.
class FrmFirmware final : public pages::PageModel, public UpdateJob {
 public:
  FrmFirmware(pages::PageEnv& env, const FirmwareLinks* links);

  // The page shows the model again.
  void SetOnChange(std::function<void()> changed) { changed_ = std::move(changed); }
  [[nodiscard]] const FirmwareShown& View() const { return shown_; }
  [[nodiscard]] const FirmwareTexts& Texts() const { return texts_; }

  // The chosen language's texts; what is shown is shown again in it.
  void CaricaLingua();
  // The folder the image dialog opens in.
  [[nodiscard]] std::string ImageFolder() const;

  // The file the fitter chose in the dialog; empty when it was cancelled.
  void CmdSelect(const std::string& path);
  void CmdOk();
  void CmdCancel();

  // PageModel
  void Shown() override;
  void CalibrationRead() override { Shown(); }

  // UpdateJob
  [[nodiscard]] std::string ImagePath() const override { return image_; }
  void Finished(const UpdateResult& result) override;
  void Dropped() override;
  void ShowStep(int text) override;
  void ShowBar(int width) override;
  void Blink(bool on) override;
  void ShowBlocks(std::size_t written, std::size_t to_write) override;
  void BackupKept(const std::string& path) override;
  void Warn(int text) override;

 private:
  void Changed();
  void ReadEcu();
  // Reads the image's identification and judges it against the ECU.
  [[nodiscard]] std::optional<Decision> ShowImage(const std::string& path);
  void Refuse(int text);
  void EndRun();

  pages::PageEnv& env_;
  const FirmwareLinks* links_;
  FirmwareTexts texts_;
  FirmwareShown shown_;
  std::string image_;
  bool chosen_ = false;  // the fitter chose the image: no default replaces it
  EcuFirmware ecu_;
  std::function<void()> changed_;
};

}  // namespace velmora::firmware
