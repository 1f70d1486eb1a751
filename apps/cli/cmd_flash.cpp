#include "apps/cli/cmd_flash.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "firmware/firmware_identity.h"
#include "firmware/firmware_image.h"
#include "firmware/firmware_texts.h"
#include "firmware/hardware_images.h"
#include "firmware/update_codes.h"
#include "firmware/update_request.h"

namespace velmora::cli {

namespace {

namespace fw = firmware;
namespace ft = fw::firmware_text;

// A whole flash at the slowest profile, the calibration saved and loaded
// and the ECU's restart take well under this.
constexpr std::chrono::minutes kUpdateLimit{15};
// The connection again after the restart, with the full read.
constexpr std::chrono::seconds kReconnectLimit{120};
constexpr std::size_t kProgressLines = 10;

fw::FirmwareTexts InstalledTexts(const core::PathTable& paths) {
  core::ClsLingue lingue;
  lingue.SetPathDizionario(paths.dictionary);
  lingue.SetPathAttualeLingua(paths.language_choice);
  lingue.LoadDizionario();
  return fw::FirmwareTexts(lingue);
}

std::string OneLine(std::string text) {
  while (!text.empty() && text.front() == '\n') {
    text.erase(text.begin());
  }
  while (!text.empty() && text.back() == '\n') {
    text.pop_back();
  }
  for (char& c : text) {
    c = c == '\n' ? ' ' : c;
  }
  return text;
}

// The update as lines: each step, the blocks written in tenths, the backup
// and the result.
class PrintedJob final : public fw::UpdateJob {
 public:
  PrintedJob(std::string image, const fw::FirmwareTexts& texts)
      : image_(std::move(image)), texts_(texts) {}

  [[nodiscard]] std::string ImagePath() const override { return image_; }
  void Finished(const fw::UpdateResult& result) override { result_ = result; }
  void ShowStep(int text) override { Out("step: " + texts_[text]); }
  void ShowBlocks(std::size_t written, std::size_t to_write) override {
    const std::size_t tenth = to_write / kProgressLines;
    if (written == to_write || (tenth > 0 && written % tenth == 0)) {
      Out("write: " + std::to_string(written) + " " + texts_[ft::kBlocks] + " " +
          std::to_string(to_write));
    }
  }
  void BackupKept(const std::string& path) override { Out("backup: " + path); }
  void Warn(int text) override { Err(texts_[text]); }

  [[nodiscard]] const std::optional<fw::UpdateResult>& Result() const { return result_; }

 private:
  std::string image_;
  const fw::FirmwareTexts& texts_;
  std::optional<fw::UpdateResult> result_;
};

std::string VerdictText(const fw::Decision& d, const fw::FirmwareTexts& texts) {
  switch (d.refusal) {
    case fw::Refusal::kNone:
      break;
    case fw::Refusal::kNoEcu:
      return texts[ft::kNoEcu];
    case fw::Refusal::kNoImage:
      return texts[ft::kBadImage];
    case fw::Refusal::kOtherHardware:
      return texts[ft::kOtherHardware];
  }
  return texts[d.verdict == fw::Verdict::kNewer  ? ft::kNewer
               : d.verdict == fw::Verdict::kSame ? ft::kSame
                                                 : ft::kOlder];
}

// Prints both versions and the verdict; false when the image may not go in.
bool ShowVersions(HeadlessWorkstation& ws, const fw::FlashImage& image,
                  const fw::FirmwareTexts& texts) {
  const fw::EcuFirmware ecu = fw::EcuFirmwareOf(ws.Table().LastAnswer(0));
  const auto id = fw::FirmwareIdentity::From(image.Identification());
  Out("ecu: " +
      (ecu.identity
           ? ecu.identity->VersionText() + "  " + ecu.identity->Text()
           : texts[ecu.state == fw::EcuFirmware::State::kBlank ? ft::kNoFirmware : ft::kNoEcu]));
  Out("image: " + id->VersionText() + "  " + id->Text());
  const fw::Decision decision = fw::Decide(ecu, id);
  Out("verdict: " + VerdictText(decision, texts));
  return decision.Allowed();
}

}  // namespace

int RunFlash(const CliOptions& options) {
  if (options.command.size() != 2) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  const std::string& path = options.command[1];
  if (!fw::IsImageName(path) || !core::EsisteFile(path)) {
    Err(path + ": not a firmware image (*.frh) that exists");
    return exit_code::kUsage;
  }
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  const fw::FirmwareTexts texts = InstalledTexts(ws->Paths());
  const fw::ImageResult loaded = fw::LoadFirmwareImage(path, ws->Paths().flash_ini);
  if (!loaded.image) {
    Err(texts[ft::kBadImage] + ": " + fw::DescribeImageError(loaded));
    return Finish(*ws, false);
  }
  if (!ShowVersions(*ws, *loaded.image, texts)) {
    return Finish(*ws, false);
  }
  PrintedJob job(path, texts);
  const fw::FirmwareLinks links{ws->Ecu(), ws->Calibration(), {}};
  fw::RegisterFirmwareUpdate(ws->Session().Requests(), links, ws->Table(), ws->Paths(), job);
  (void)ws->RunRequest(fw::kUpdateRequest, {}, kUpdateLimit);
  const int code = job.Result() ? job.Result()->code : fw::update_code::kNotStarted;
  Out("result: " + std::to_string(code) + " " +
      OneLine(code == fw::update_code::kNotStarted ? texts[ft::kBadImage]
                                                   : fw::ResultMessage(code, texts)));
  if (code == fw::update_code::kOk &&
      ws->WaitConnected(std::chrono::steady_clock::now() + kReconnectLimit)) {
    const fw::EcuFirmware now = fw::EcuFirmwareOf(ws->Table().LastAnswer(0));
    Out("ecu now: " + (now.identity ? now.identity->VersionText() : texts[ft::kNoFirmware]));
  }
  return Finish(*ws, code == fw::update_code::kOk);
}

}  // namespace velmora::cli
