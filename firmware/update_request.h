#pragma once

#include <functional>
#include <string>

#include "core/paths.h"
#include "firmware/firmware_update.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "session/calibration_service.h"
#include "session/request_table.h"

namespace velmora::firmware {

// The pending request code of the update: the firmware page's own. The
// session runs it on its Timer1 tick, so no tick polls, reconnects or runs
// another request while the update holds the channel.
inline constexpr int kUpdateRequest = 90;

// What the update needs beyond a page's environment: the link and the
// session's calibration procedures. Nothing is owned.
struct FirmwareLinks {
  link::EcuAccess& ecu;
  session::CalibrationService& calibration;
  // Names the calibration backup; empty: the local time.
  std::function<std::string()> backup_stamp;
};

// Whoever posts the update: it names the image, watches the run and is told
// how it ended.
class UpdateJob : public UpdateObserver {
 public:
  [[nodiscard]] virtual std::string ImagePath() const = 0;
  // The run ended with `result` (update_code::kNotStarted when the image
  // or the ECU no longer allows it; nothing was sent then). With
  // `result.closing` the program closes on the session's next tick.
  virtual void Finished(const UpdateResult& result) = 0;
  // The request was dropped without running (the ECU went away first).
  virtual void Dropped() {}
};

// Registers the update's work under kUpdateRequest. The image is read and
// judged again when the work runs, against the ECU connected then; after a
// run the session is asked to connect again, which reads the new firmware's
// identification (not after a time-out, when the program is closing).
void RegisterFirmwareUpdate(session::RequestTable& requests, const FirmwareLinks& links,
                            link::MessageTable& table, const core::PathTable& paths,
                            UpdateJob& job);

}  // namespace velmora::firmware
