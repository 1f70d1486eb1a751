#include "calib/calibration_frames.h"

#include "link/ecu_frame.h"

namespace velmora::calib {

namespace {

constexpr std::size_t kHeaderSize = link::kAnswerDataOffset;  // 42 01 L command status
constexpr std::size_t kLengthByte = 2;
constexpr std::size_t kLengthOverhead = 4;  // length, command, status, check byte
constexpr std::uint8_t kStoredStatus = 0x00;

// The saved "[BLK_3]": frame byte 26 is cylinder 1's flag, 25 down to 19 those
// of cylinders 2 to 8.
constexpr std::size_t kBlock3FirstFlag = 26;
constexpr std::size_t kBlock3LastFlag = 19;
constexpr std::size_t kBlock3NormaliseAbove = 27;

}  // namespace

std::optional<Bytes> MakeStoredFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
  Bytes body{kStoredStatus};
  body.insert(body.end(), data.begin(), data.end());
  return link::ComponiFrame(link::kAnswerFirst, link::kAnswerSecond, command, body);
}

bool FrameWellFormed(std::span<const std::uint8_t> frame) {
  return frame.size() >= kHeaderSize + 1 &&
         static_cast<std::size_t>(frame[kLengthByte]) + 2 == frame.size();
}

Bytes FrameData(std::span<const std::uint8_t> frame) {
  if (frame.size() <= kHeaderSize + 1) {
    return {};
  }
  return Bytes(frame.begin() + kHeaderSize, frame.end() - 1);
}

bool SectionFrameValid(Section section, std::span<const std::uint8_t> frame) {
  if (!FrameWellFormed(frame)) {
    return false;
  }
  const std::size_t data = static_cast<std::size_t>(frame[kLengthByte]) - kLengthOverhead;
  if (section == Section::kFw) {
    return data >= sizes::kIdentification;
  }
  if (const auto fixed = FixedDataSize(section)) {
    return data == *fixed;
  }
  return true;
}

void RecomputeCheckByte(Bytes& frame) {
  if (frame.size() < 2) {
    return;
  }
  frame.back() = link::CheckXor(std::span(frame).first(frame.size() - 1));
}

Bytes NormaliseBlock3Frame(Bytes frame) {
  if (frame.size() <= kBlock3NormaliseAbove) {
    return frame;
  }
  frame[kBlock3FirstFlag] = 1;
  for (std::size_t i = kBlock3FirstFlag - 1; i >= kBlock3LastFlag; --i) {
    if (frame[i] != 0) {
      frame[i] = 1;
    }
  }
  RecomputeCheckByte(frame);
  return frame;
}

}  // namespace velmora::calib
