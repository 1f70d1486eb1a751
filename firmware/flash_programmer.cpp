#include "firmware/flash_programmer.h"

#include <algorithm>

#include "firmware/block_checksum.h"
#include "link/ecu_frame.h"

namespace velmora::firmware {

namespace {

constexpr std::uint8_t kAddressPrefix = 0x00;
constexpr std::size_t kResultByte = 4;
constexpr std::size_t kAnswerData = 5;
// The result byte of an ECU that does not know the command.
constexpr std::uint8_t kUnknownCommand = 0x01;

void PutAddress(Bytes& out, std::uint32_t address) {
  out.push_back(kAddressPrefix);
  out.push_back(static_cast<std::uint8_t>((address >> 16) & 0xFF));
  out.push_back(static_cast<std::uint8_t>((address >> 8) & 0xFF));
  out.push_back(static_cast<std::uint8_t>(address & 0xFF));
}

bool Touches(const Span& span, const FlashSector& sector) {
  const std::uint64_t last = std::uint64_t{span.address} + std::max<std::size_t>(span.size, 1) - 1;
  return span.address <= sector.last && last >= sector.first;
}

}  // namespace

std::vector<std::size_t> SectorsToErase(const FlashImage& image) {
  const auto& sectors = image.layout.sectors;
  std::vector<std::size_t> marked;
  for (std::size_t s = 0; s < std::min(kErasableSectors, sectors.size()); ++s) {
    if (std::any_of(image.spans.begin(), image.spans.end(),
                    [&](const Span& span) { return Touches(span, sectors[s]); })) {
      marked.push_back(s);
    }
  }
  return marked;
}

EraseOutcome EraseAllFlash(FlashLink& link, const FlashImage& image) {
  if (image.spans.empty()) {
    return EraseOutcome::kNoRecords;
  }
  if (SectorsToErase(image).empty()) {
    return EraseOutcome::kNoSector;
  }
  return link.Send(link::cmd::kEraseFlash, {}, nullptr, kEraseTimeoutFactor) == Exchange::kDone
             ? EraseOutcome::kErased
             : EraseOutcome::kFailed;
}

Bytes BlockWriteData(std::uint32_t address, std::span<const std::uint8_t> block) {
  Bytes data;
  data.reserve(4 + block.size());
  PutAddress(data, address);
  data.insert(data.end(), block.begin(), block.end());
  return data;
}

BlockOutcome WriteMemoryToTab(FlashLink& link, const FlashImage& image, std::uint32_t address) {
  const Bytes block = image.Block(address - image.layout.Start());
  if (std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; })) {
    return BlockOutcome::kSkipped;
  }
  return link.Command(link::cmd::kWriteFlashBlock, BlockWriteData(address, block))
             ? BlockOutcome::kWritten
             : BlockOutcome::kFailed;
}

VerifyOutcome VerifyFlash(FlashLink& link, const FlashImage& image) {
  const std::size_t blocks = image.BlockCount();
  for (std::size_t first = 0; first < blocks; first += kChecksumsPerRequest) {
    const std::size_t count = std::min(kChecksumsPerRequest, blocks - first);
    const auto address = static_cast<std::uint32_t>(image.layout.Start() + first * kBlockSize);
    Bytes data;
    PutAddress(data, address);
    data.push_back(static_cast<std::uint8_t>(count));
    Bytes answer;
    const Exchange e = link.Send(link::cmd::kFlashChecksums, data, &answer);
    if (e == Exchange::kRefused && first == 0 && answer[kResultByte] == kUnknownCommand) {
      return {VerifyOutcome::State::kNotOffered, 0};
    }
    if (e != Exchange::kDone || answer.size() < kAnswerData + 2 * count + 1) {
      return {VerifyOutcome::State::kFailed, address};
    }
    for (std::size_t i = 0; i < count; ++i) {
      const Bytes block = image.Block((first + i) * kBlockSize);
      const auto held = static_cast<std::uint16_t>((answer[kAnswerData + 2 * i] << 8) |
                                                   answer[kAnswerData + 2 * i + 1]);
      if (held != BlockChecksum(block)) {
        return {VerifyOutcome::State::kDiffers,
                static_cast<std::uint32_t>(address + i * kBlockSize)};
      }
    }
  }
  return {};
}

}  // namespace velmora::firmware
