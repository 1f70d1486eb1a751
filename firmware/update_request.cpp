#include "firmware/update_request.h"

#include "firmware/firmware_identity.h"

namespace velmora::firmware {

namespace {

UpdateResult NotStarted() {
  UpdateResult r;
  r.code = update_code::kNotStarted;
  return r;
}

// The update of the image at `path` on the ECU connected now.
UpdateResult RunUpdate(const UpdateLinks& links, const std::string& path, UpdateJob& job) {
  ImageResult loaded = LoadFirmwareImage(path, links.paths.flash_ini);
  if (!loaded.image) {
    return NotStarted();
  }
  const auto image_id = FirmwareIdentity::From(loaded.image->Identification());
  const EcuFirmware ecu = EcuFirmwareOf(links.table.LastAnswer(update_entry::kIdentity));
  if (!Decide(ecu, image_id).Allowed()) {
    return NotStarted();
  }
  FirmwareUpdate update(links, std::move(*loaded.image), job);
  return update.Run();
}

}  // namespace

void RegisterFirmwareUpdate(session::RequestTable& requests, const FirmwareLinks& links,
                            link::MessageTable& table, const core::PathTable& paths,
                            UpdateJob& job) {
  session::RequestWork work;
  const UpdateLinks update{links.ecu, table, links.calibration, paths, links.backup_stamp};
  work.run = [update, &job] {
    UpdateResult result = RunUpdate(update, job.ImagePath(), job);
    core::SessionFlags& flags = update.ecu.Pipe().Flags();
    result.closing = flags.exit_request;
    if (result.code != update_code::kNotStarted && !flags.timeout && !flags.exit_request) {
      flags.ecu_lost = true;
    }
    job.Finished(result);
    return result.code == update_code::kOk;
  };
  // The image, not the image of the calibration, is what it writes: it may
  // wait through a reconnection (a blank ECU is connected again first).
  work.file_based = true;
  work.dropped = [&job] { job.Dropped(); };
  requests.Register(kUpdateRequest, std::move(work));
}

}  // namespace velmora::firmware
