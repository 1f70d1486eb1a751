#include "firmware/firmware_update.h"

#include <algorithm>

#include "core/hex.h"
#include "firmware/firmware_identity.h"
#include "firmware/firmware_texts.h"
#include "firmware/flash_programmer.h"
#include "link/ecu_frame.h"

namespace velmora::firmware {

namespace {

namespace ft = firmware_text;
namespace uc = update_code;

constexpr std::size_t kResultByte = 4;
constexpr std::size_t kDataOffset = 5;

// A connection block the ECU really gave: its command's answer, accepted,
// as long as the block the update would otherwise give back.
bool SoundConnectionBlock(const Bytes& answer, std::size_t size) {
  return answer.size() == size && answer[3] == link::cmd::kReadConnection &&
         answer[kResultByte] == 0;
}

CalibrationPlan PlanOf(const EcuFirmware& ecu, const FlashImage& image) {
  if (ecu.state != EcuFirmware::State::kIdentified) {
    return CalibrationPlan::kNone;
  }
  const auto id = FirmwareIdentity::From(image.Identification());
  return id && !id->OtherVersion(*ecu.identity) ? CalibrationPlan::kCarry
                                                : CalibrationPlan::kReference;
}

}  // namespace

FirmwareUpdate::FirmwareUpdate(const UpdateLinks& links, FlashImage image, UpdateObserver& observer)
    : links_(links),
      image_(std::move(image)),
      observer_(observer),
      link_(links.ecu),
      keeper_(links.calibration, links.paths, links.backup_stamp) {}

bool FirmwareUpdate::Fail(int code) {
  result_.code = code;
  return false;
}

void FirmwareUpdate::Progress(int steps) {
  for (int i = 0; i < steps; ++i) {
    bar_ += progress::kStepWidth;
    observer_.ShowBar(bar_);
    link_.Wait(progress::kStepUs);
  }
}

void FirmwareUpdate::BlinkFor(int times) {
  for (int i = 0; i < times; ++i) {
    observer_.Blink(i % 2 == 0);
    link_.Wait(progress::kBlinkUs);
  }
  observer_.Blink(false);
}

UpdateResult FirmwareUpdate::Run() {
  observer_.ShowStep(ft::kPrepare);
  bar_ = progress::kStartWidth;
  observer_.ShowBar(bar_);
  // A blank ECU, or another major or minor version, takes the reference
  // calibration; the same version gets its own back.
  plan_ = PlanOf(EcuFirmwareOf(links_.table.LastAnswer(update_entry::kIdentity)), image_);
  (void)(ReadConnectionBlock() && KeepCalibration() && StartProgramming() && Erase() &&
         WriteBlocks() && Check() && EndProgramming() && Restart());
  return result_;
}

bool FirmwareUpdate::ReadConnectionBlock() {
  link::MessageTable& table = links_.table;
  const Bytes fallback = core::HexToBin(update_entry::kDefaultConnection).value_or(Bytes{});
  const bool read =
      link_.ReadEntry(table, update_entry::kConnection) &&
      SoundConnectionBlock(table.LastAnswer(update_entry::kConnection), fallback.size());
  if (!read) {
    table.SetLastAnswer(update_entry::kConnection, fallback);
  }
  table.DecodificaRisposta(table.LastAnswer(update_entry::kConnection), update_entry::kConnection);
  return read || Fail(uc::kNotKept);
}

bool FirmwareUpdate::KeepCalibration() {
  if (!keeper_.Keep(plan_)) {
    return Fail(uc::kNotKept);
  }
  result_.backup = keeper_.BackupPath();
  if (!result_.backup.empty()) {
    observer_.BackupKept(result_.backup);
  }
  return true;
}

bool FirmwareUpdate::StartProgramming() {
  observer_.ShowStep(ft::kStartProgramming);
  if (!link_.SetWait(true)) {
    return Fail(uc::kLongWait);
  }
  Progress(progress::kSteps);
  return link_.Command(link::cmd::kProgramStart) || Fail(uc::kStart);
}

bool FirmwareUpdate::Erase() {
  observer_.ShowStep(ft::kErase);
  Progress(progress::kSteps);
  const EraseOutcome erased = EraseAllFlash(link_, image_);
  if (erased == EraseOutcome::kNoRecords) {
    observer_.Warn(ft::kNoProgram);
  }
  if (erased != EraseOutcome::kErased) {
    return Fail(uc::kErase);
  }
  return link_.SetWait(false) || Fail(uc::kShortWait);
}

bool FirmwareUpdate::WriteBlocks() {
  observer_.ShowStep(ft::kWrite);
  const std::size_t size = image_.bytes.size();
  std::size_t to_write = 0;
  for (std::size_t offset = 0; offset < size; offset += kBlockSize) {
    const Bytes block = image_.Block(offset);
    to_write += std::any_of(block.begin(), block.end(), [](std::uint8_t b) { return b != 0xFF; });
  }
  std::size_t written = 0;
  observer_.ShowBlocks(written, to_write);
  for (std::size_t offset = 0; offset < size; offset += kBlockSize) {
    const auto address = static_cast<std::uint32_t>(image_.layout.Start() + offset);
    const BlockOutcome outcome = WriteMemoryToTab(link_, image_, address);
    if (outcome == BlockOutcome::kFailed) {
      return Fail(uc::kBlockWrite);
    }
    if (outcome == BlockOutcome::kWritten) {
      observer_.ShowBlocks(++written, to_write);
    }
    observer_.ShowBar(static_cast<int>((progress::kFullWidth - progress::kWriteMargin) *
                                       static_cast<std::int64_t>(offset) /
                                       static_cast<std::int64_t>(size)));
  }
  return true;
}

bool FirmwareUpdate::Check() {
  observer_.ShowStep(ft::kVerify);
  const VerifyOutcome verified = VerifyFlash(link_, image_);
  switch (verified.state) {
    case VerifyOutcome::State::kMatches:
      result_.checked = true;
      return true;
    case VerifyOutcome::State::kNotOffered:
      return true;
    case VerifyOutcome::State::kDiffers:
    case VerifyOutcome::State::kFailed:
      break;
  }
  // Not ended: the boot loader keeps the ECU blank, and a later update
  // starts again from there.
  result_.differs_at = verified.address;
  return Fail(uc::kVerify);
}

bool FirmwareUpdate::EndProgramming() {
  observer_.ShowStep(ft::kFinish);
  BlinkFor(progress::kFinishBlinks);
  if (!link_.SetWait(true)) {
    return Fail(uc::kLongWaitAfterWrite);
  }
  if (!link_.Command(link::cmd::kProgramEnd)) {
    return Fail(uc::kErase);
  }
  return link_.SetWait(false) || Fail(uc::kShortWaitAfterEnd);
}

bool FirmwareUpdate::Restart() {
  BlinkFor(progress::kRestartBlinks);
  observer_.ShowStep(ft::kRestart);
  bar_ = progress::kStartWidth;
  observer_.ShowBar(bar_);
  const Bytes& block = links_.table.LastAnswer(update_entry::kConnection);
  const Bytes data(block.begin() + static_cast<std::ptrdiff_t>(kDataOffset), block.end() - 1);
  if (!link_.Command(link::cmd::kWriteConnection, data)) {
    result_.kept = plan_ == CalibrationPlan::kCarry ? keeper_.CarryPath() : result_.backup;
    return Fail(uc::kConnectionBlock);
  }
  if (!keeper_.Reload(plan_)) {
    result_.kept = plan_ == CalibrationPlan::kCarry ? keeper_.CarryPath() : result_.backup;
    return Fail(uc::kReload);
  }
  return true;
}

}  // namespace velmora::firmware
