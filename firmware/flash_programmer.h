#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "firmware/firmware_image.h"
#include "firmware/flash_link.h"

namespace velmora::firmware {

// The erase runs with twice the reply time-out: the ECU answers only when
// every sector is blank.
inline constexpr int kEraseTimeoutFactor = 2;

// The sectors among the first kErasableSectors that any record of the image
// touches (a record may run over a sector's end), by index.
[[nodiscard]] std::vector<std::size_t> SectorsToErase(const FlashImage& image);

enum class EraseOutcome {
  kErased,
  kNoRecords,  // the image has no S2 record: nothing to erase for
  kNoSector,   // no record lies in an erasable sector: nothing was sent
  kFailed,     // the erase exchange failed or was refused
};

// EraseAllFlash: command 0x07, sent only when some erasable sector holds a
// record of the image.
[[nodiscard]] EraseOutcome EraseAllFlash(FlashLink& link, const FlashImage& image);

enum class BlockOutcome {
  kSkipped,  // all 0xFF: nothing to send, and nothing to fail
  kWritten,
  kFailed,  // "%KO"
};

// WriteMemoryToTab: command 0x08 with 0x00, the block's address as three
// bytes (high, middle, low) and its 128 bytes.
[[nodiscard]] BlockOutcome WriteMemoryToTab(FlashLink& link, const FlashImage& image,
                                            std::uint32_t address);

// The request data of a block write.
[[nodiscard]] Bytes BlockWriteData(std::uint32_t address, std::span<const std::uint8_t> block);

struct VerifyOutcome {
  enum class State {
    kMatches,
    kNotOffered,  // the ECU answers "unknown command": nothing was checked
    kDiffers,     // `address` is the first block that differs
    kFailed,      // an exchange failed
  };
  State state = State::kMatches;
  std::uint32_t address = 0;
};

// Asks the ECU for the checksum of every block of the flash, batch by batch
// (command 0x09: 0x00, address high, middle, low, block count), and compares
// them with the image's blocks.
[[nodiscard]] VerifyOutcome VerifyFlash(FlashLink& link, const FlashImage& image);

}  // namespace velmora::firmware
