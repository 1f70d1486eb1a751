#include "sim/hardware.h"

#include <algorithm>
#include <string>

namespace velmora::sim {
namespace {

constexpr std::size_t kTextSize = 32;
constexpr std::size_t kSignatureSize = 14;
constexpr std::size_t kIdentSize = 62;
// Serial number and reserved bytes (data bytes 38..47).
constexpr std::array<std::uint8_t, 10> kSerial = {0x00, 0x00, 0x00, 0x01, 0x00,
                                                  0x00, 0x20, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 10> kBlankSerial = {0xFE, 0xFE, 0x00, 0x00, 0x00,
                                                       0x00, 0x20, 0x00, 0x00, 0x00};
constexpr std::size_t kBlankLeadFf = 38;

constexpr std::array<HardwareProfile, 4> kProfiles = {{
    {"nex", {0x03, 0x05, 0x18, 0x09, 0x20, 0x19}, "GASECU SEQ NEXHW 8CYL R03", "NEXHW-8CYL-R03", 8},
    {"3rd", {0x02, 0x07, 0x11, 0x03, 0x20, 0x18}, "GASECU SEQ 3RDHW 6CYL R02", "3RDHW-6CYL-R02", 6},
    {"2nd", {0x01, 0x09, 0x05, 0x06, 0x20, 0x16}, "GASECU SEQ 2NDHW 4CYL R01", "2NDHW-4CYL-R01", 4},
    {"blank", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "", "", 4},
}};

}  // namespace

std::optional<Hardware> ParseHardware(std::string_view option) {
  for (std::size_t i = 0; i < kProfiles.size(); ++i) {
    if (kProfiles[i].option == option) {
      return static_cast<Hardware>(i);
    }
  }
  return std::nullopt;
}

const HardwareProfile& ProfileOf(Hardware hw) {
  return kProfiles[static_cast<std::size_t>(hw)];
}

Bytes IdentificationData(Hardware hw) {
  Bytes d;
  d.reserve(kIdentSize);
  if (hw == Hardware::kBlank) {
    d.assign(kBlankLeadFf, 0xFF);
    d.insert(d.end(), kBlankSerial.begin(), kBlankSerial.end());
    d.insert(d.end(), kSignatureSize, 0xFF);
    return d;
  }
  const HardwareProfile& p = ProfileOf(hw);
  d.assign(p.version.begin(), p.version.end());
  std::string text(p.text.substr(0, std::min(p.text.size(), kTextSize)));
  text.resize(kTextSize, ' ');
  d.insert(d.end(), text.begin(), text.end());
  d.insert(d.end(), kSerial.begin(), kSerial.end());
  std::string sig(p.signature.substr(0, std::min(p.signature.size(), kSignatureSize)));
  sig.resize(kSignatureSize, ' ');
  d.insert(d.end(), sig.begin(), sig.end());
  return d;
}

}  // namespace velmora::sim
