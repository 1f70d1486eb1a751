#pragma once

#include <cstdint>
#include <string>

#include "core/bytes.h"

namespace velmora::session {

// What the connected ECU carries beyond the common blocks; follows from the
// hardware generation found at identification.
struct EcuCapabilities {
  bool adaptive_maps = false;
  bool direct_injection = false;  // entry 18
  bool obd_errors = false;        // entries 19 and 20
  friend bool operator==(const EcuCapabilities&, const EcuCapabilities&) = default;
};

[[nodiscard]] EcuCapabilities CapabilitiesOf(int generation);

// The calibration image procedures the session runs. The production
// implementation sits on the calib library; tests use fakes. Every call
// runs on the session's thread while it holds the link.
class CalibrationService {
 public:
  virtual ~CalibrationService() = default;

  // The identified ECU: its generation and what it carries.
  virtual void SetEcu(int generation, const EcuCapabilities& capabilities) = 0;
  // Reads the whole calibration into the image (connection time).
  [[nodiscard]] virtual bool ReadAll() = 0;
  // Entries 18, 19 and 20 from the reference calibration for an ECU
  // without those blocks.
  virtual void ApplyDefaultBlockImages(const EcuCapabilities& capabilities) = 0;
  [[nodiscard]] virtual bool SaveFromEcu(const std::string& path) = 0;
  // `scope` is the load request code: 18, 9, 17 or 53.
  [[nodiscard]] virtual bool LoadToEcu(const std::string& path, int scope) = 0;
  // The file into the image, no ECU traffic.
  [[nodiscard]] virtual bool OpenFile(const std::string& path) = 0;
  // The 16-byte "[BLK_5]" record the pages edit (the write copy).
  [[nodiscard]] virtual Bytes& ParameterRecord() = 0;
  // Writes map 0 (base, with its "[BLK_5]" record), 1 (adaptive) or 2
  // (second) from the image and reads it back into the image.
  [[nodiscard]] virtual bool WriteMap(int map) = 0;
  // Writes the two axis lookup tables of the image and reads them back.
  [[nodiscard]] virtual bool WriteAxes() = 0;
};

}  // namespace velmora::session
