#include "firmware/frm_firmware.h"

#include <cstdio>

#include "core/files.h"
#include "firmware/firmware_image.h"
#include "firmware/hardware_images.h"
#include "firmware/update_codes.h"
#include "session/session.h"

namespace velmora::firmware {

namespace {

namespace ft = firmware_text;

constexpr int kBeepHz = 600;
constexpr int kBeepMs = 100;
constexpr const char* kNoVersion = "---";

int VerdictText(const Decision& d) {
  switch (d.refusal) {
    case Refusal::kNone:
      break;
    case Refusal::kNoEcu:
      return ft::kNoEcu;
    case Refusal::kNoImage:
      return -1;
    case Refusal::kOtherHardware:
      return ft::kOtherHardware;
  }
  switch (d.verdict) {
    case Verdict::kNewer:
      return ft::kNewer;
    case Verdict::kSame:
      return ft::kSame;
    case Verdict::kOlder:
      return ft::kOlder;
  }
  return -1;
}

}  // namespace

FrmFirmware::FrmFirmware(pages::PageEnv& env, const FirmwareLinks* links)
    : env_(env), links_(links), texts_(env.lingue) {
  if (links_ != nullptr) {
    RegisterFirmwareUpdate(env.requests, *links_, env.table, env.paths, *this);
  }
}

void FrmFirmware::CaricaLingua() {
  texts_ = FirmwareTexts(env_.lingue);
  Shown();
}

std::string FrmFirmware::ImageFolder() const {
  const std::size_t cut = image_.find_last_of("/\\");
  return cut == std::string::npos ? env_.paths.bin : image_.substr(0, cut);
}

void FrmFirmware::Changed() {
  if (changed_) {
    changed_();
  }
}

void FrmFirmware::Shown() {
  if (shown_.running) {
    return;
  }
  ReadEcu();
  if (!chosen_) {
    image_ = DefaultImagePath(env_.paths, env_.session.Generation());
  }
  (void)ShowImage(image_);
  Changed();
}

void FrmFirmware::ReadEcu() {
  ecu_ = EcuFirmwareOf(env_.table.LastAnswer(update_entry::kIdentity));
  shown_.ecu_text.clear();
  switch (ecu_.state) {
    case EcuFirmware::State::kNone:
      shown_.ecu_version = texts_[ft::kNoEcu];
      break;
    case EcuFirmware::State::kBlank:
      shown_.ecu_version = texts_[ft::kNoFirmware];
      break;
    case EcuFirmware::State::kIdentified:
      shown_.ecu_version = ecu_.identity->VersionText();
      shown_.ecu_text = ecu_.identity->Text();
      break;
  }
}

std::optional<Decision> FrmFirmware::ShowImage(const std::string& path) {
  shown_.image_path = path;
  shown_.image_version = kNoVersion;
  shown_.image_text.clear();
  shown_.image_note = FirmwareOffered(env_.paths) ? std::string() : texts_[ft::kNoImages];
  shown_.verdict.clear();
  shown_.can_update = false;
  if (!core::EsisteFile(path)) {
    // No identification to show: the versions read "---".
    shown_.image_note = texts_[ft::kImageMissing] + " (" +
                        std::to_string(MissingImageCode(path, env_.session.Generation())) + ")";
    return std::nullopt;
  }
  const ImageResult loaded = LoadFirmwareImage(path, env_.paths.flash_ini);
  if (!loaded.image) {
    shown_.image_note =
        texts_[loaded.error == ImageError::kNoRecords ? ft::kNoProgram : ft::kBadImage] + ": " +
        DescribeImageError(loaded);
    return std::nullopt;
  }
  const auto id = FirmwareIdentity::From(loaded.image->Identification());
  shown_.image_version = id->VersionText();
  shown_.image_text = id->Text();
  const Decision decision = Decide(ecu_, id);
  shown_.verdict = texts_[VerdictText(decision)];
  shown_.can_update = decision.Allowed();
  return decision;
}

void FrmFirmware::Refuse(int text) {
  env_.window.Beep(kBeepHz, kBeepMs);
  shown_.message = texts_[text];
}

void FrmFirmware::CmdSelect(const std::string& path) {
  if (path.empty() || shown_.running) {
    return;
  }
  ReadEcu();
  shown_.message.clear();
  std::optional<Decision> decision;
  if (IsImageName(path) && core::EsisteFile(path)) {
    decision = ShowImage(path);
  }
  if (decision && decision->Allowed()) {
    image_ = path;
    chosen_ = true;
    Changed();
    return;
  }
  // Why an image that reads well cannot go in (another hardware) stays in
  // view beside the current image, which is shown again.
  const std::string why = decision ? shown_.verdict : std::string();
  Refuse(ft::kBadImage);
  (void)ShowImage(image_);
  if (!why.empty()) {
    shown_.message += "\n" + why;
  }
  Changed();
}

void FrmFirmware::CmdOk() {
  if (shown_.running) {
    return;
  }
  ReadEcu();
  const std::optional<Decision> decision = ShowImage(image_);
  if (!decision || !decision->Allowed()) {
    Refuse(ft::kBadImage);
    Changed();
    return;
  }
  // A blank ECU found by the blank check holds the session still: it is
  // connected again first, and the update waits for it.
  if (env_.session.State() == core::session_state::kBlankEcu) {
    env_.session.SetPageEvent(session::page_event::kResume);
  }
  if (!env_.session.PostRequest(kUpdateRequest)) {
    Refuse(ft::kNotStarted);
    Changed();
    return;
  }
  shown_.blocks.clear();
  shown_.backup.clear();
  shown_.message.clear();
  shown_.running = true;
  shown_.step = texts_[ft::kKeepPower];
  env_.session.EnablePages(false);
  Changed();
}

void FrmFirmware::CmdCancel() {
  if (!shown_.running) {
    env_.window.SelezioneScheda(session::page_id::kMainMenu);
  }
}

void FrmFirmware::EndRun() {
  shown_.running = false;
  shown_.bar_visible = false;
  shown_.blink = false;
  env_.session.EnablePages(true);
}

void FrmFirmware::Finished(const UpdateResult& result) {
  EndRun();
  if (result.code == update_code::kNotStarted) {
    Refuse(ft::kBadImage);
    Changed();
    return;
  }
  shown_.step.clear();
  shown_.message = ResultMessage(result.code, texts_);
  if (result.code == update_code::kVerify) {
    char address[16];
    std::snprintf(address, sizeof address, " %06X", static_cast<unsigned>(result.differs_at));
    shown_.message += "\n" + texts_[ft::kVerifyFailed] + address;
  }
  if (!result.kept.empty()) {
    shown_.message += "\n" + texts_[ft::kKeptIn] + " " + result.kept;
  }
  // A reply time-out closes the program on the next tick: the result is
  // shown where it cannot be missed first.
  if (result.closing) {
    env_.box.Show(shown_.message, env_.main_title, platform::BoxKind::Critical);
  }
  Changed();
}

void FrmFirmware::Dropped() {
  EndRun();
  shown_.step.clear();
  shown_.message = ResultMessage(update_code::kNotKept, texts_);
  Changed();
}

void FrmFirmware::ShowStep(int text) {
  if (text == ft::kPrepare) {
    // The run has begun: whatever re-enabled the pages meanwhile (a blank
    // ECU connected again first), they stay off until its end.
    env_.session.EnablePages(false);
  }
  shown_.step = texts_[text];
  Changed();
}

void FrmFirmware::ShowBar(int width) {
  shown_.bar_visible = true;
  shown_.bar = width;
  Changed();
}

void FrmFirmware::Blink(bool on) {
  shown_.blink = on;
  Changed();
}

void FrmFirmware::ShowBlocks(std::size_t written, std::size_t to_write) {
  shown_.blocks =
      std::to_string(written) + " " + texts_[ft::kBlocks] + " " + std::to_string(to_write);
  Changed();
}

void FrmFirmware::BackupKept(const std::string& path) {
  shown_.backup = texts_[ft::kBackup] + " " + path;
  Changed();
}

void FrmFirmware::Warn(int text) {
  env_.box.Show(texts_[text], env_.main_title, platform::BoxKind::Exclamation);
}

}  // namespace velmora::firmware
