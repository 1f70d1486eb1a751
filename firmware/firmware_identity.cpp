#include "firmware/firmware_identity.h"

#include <algorithm>

#include "core/hex.h"
#include "core/text.h"

namespace velmora::firmware {

namespace {

// Places of the identification's bytes.
constexpr std::size_t kMajor = 0;
constexpr std::size_t kMinor = 1;
constexpr std::size_t kDay = 2;
constexpr std::size_t kMonth = 3;
constexpr std::size_t kYearHigh = 4;
constexpr std::size_t kYearLow = 5;
constexpr std::size_t kHardwareWordIndex = 2;
// An answer frame's result byte and where its data begin.
constexpr std::size_t kResultByte = 4;
constexpr std::size_t kDataOffset = 5;

}  // namespace

std::optional<FirmwareIdentity> FirmwareIdentity::From(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kSize) {
    return std::nullopt;
  }
  FirmwareIdentity id;
  std::copy(bytes.begin(), bytes.end(), id.bytes_.begin());
  return id;
}

std::string FirmwareIdentity::VersionText() const {
  return core::DataVersioneEcu(std::span(bytes_).first(kVersionSize));
}

std::string FirmwareIdentity::Text() const {
  std::string text(bytes_.begin() + kVersionSize, bytes_.end());
  // Whatever is not printable shows as a blank.
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c < ' ' || c > '~'; }, ' ');
  return std::string(core::Trim(text));
}

std::vector<std::string> FirmwareIdentity::Words() const {
  std::vector<std::string> words;
  for (const std::string& w :
       core::Split(std::string(bytes_.begin() + kVersionSize, bytes_.end()), ' ')) {
    if (!w.empty()) {
      words.push_back(w);
    }
  }
  return words;
}

std::optional<std::string> FirmwareIdentity::HardwareWord() const {
  const std::vector<std::string> words = Words();
  if (words.size() <= kHardwareWordIndex) {
    return std::nullopt;
  }
  return words[kHardwareWordIndex];
}

bool FirmwareIdentity::Empty() const {
  return std::all_of(bytes_.begin(), bytes_.end(), [](std::uint8_t b) { return b == 0; });
}

int FirmwareIdentity::Compare(const FirmwareIdentity& other) const {
  // The date's bytes are decimal digits written in hexadecimal, so they
  // order as plain numbers do.
  for (const std::size_t i : {kMajor, kMinor, kYearHigh, kYearLow, kMonth, kDay}) {
    if (bytes_[i] != other.bytes_[i]) {
      return bytes_[i] < other.bytes_[i] ? -1 : 1;
    }
  }
  return 0;
}

bool FirmwareIdentity::OtherVersion(const FirmwareIdentity& other) const {
  return bytes_[kMajor] != other.bytes_[kMajor] || bytes_[kMinor] != other.bytes_[kMinor];
}

EcuFirmware EcuFirmwareOf(std::span<const std::uint8_t> answer) {
  EcuFirmware ecu;
  if (answer.empty()) {
    return ecu;
  }
  ecu.state = EcuFirmware::State::kBlank;
  if (answer.size() < kDataOffset + FirmwareIdentity::kSize || answer[kResultByte] != 0) {
    return ecu;
  }
  const auto bytes = answer.subspan(kDataOffset, FirmwareIdentity::kSize);
  if (std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; })) {
    return ecu;
  }
  ecu.state = EcuFirmware::State::kIdentified;
  ecu.identity = FirmwareIdentity::From(bytes);
  return ecu;
}

Decision Decide(const EcuFirmware& ecu, const std::optional<FirmwareIdentity>& image) {
  Decision d;
  if (ecu.state == EcuFirmware::State::kNone) {
    d.refusal = Refusal::kNoEcu;
    return d;
  }
  if (!image || image->Empty() || !image->HardwareWord()) {
    d.refusal = Refusal::kNoImage;
    return d;
  }
  if (ecu.state == EcuFirmware::State::kBlank) {
    d.verdict = Verdict::kNewer;
    d.changes_version = true;
    return d;
  }
  if (ecu.identity->HardwareWord() != image->HardwareWord()) {
    d.refusal = Refusal::kOtherHardware;
    return d;
  }
  const int order = image->Compare(*ecu.identity);
  d.verdict = order > 0 ? Verdict::kNewer : (order < 0 ? Verdict::kOlder : Verdict::kSame);
  d.changes_version = image->OtherVersion(*ecu.identity);
  return d;
}

}  // namespace velmora::firmware
