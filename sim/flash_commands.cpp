// The boot loader of the virtual ECU: the program flash and the commands
// that rewrite it. The firmware's identification is read from the flash, so
// the ECU reports whatever firmware it last received.

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "firmware/block_checksum.h"
#include "firmware/firmware_identity.h"
#include "firmware/firmware_image.h"
#include "link/ecu_frame.h"
#include "sim/commands.h"

namespace velmora::sim {
namespace {

constexpr std::uint32_t kFactoryStart = 0x00FC8000;
constexpr std::uint32_t kFactorySector = 0x4000;
constexpr std::size_t kFactorySectors = 14;
// The factory firmware's code bytes, from the region's start.
constexpr std::size_t kFactoryCode = 0x8000;
constexpr std::size_t kBlock = firmware::kBlockSize;
constexpr std::size_t kIdentSize = firmware::kIdentificationSize;
constexpr std::uint8_t kValid = 1;
// Block write: 0x00, three address bytes, 128 bytes. Checksums: 0x00, three
// address bytes, a block count.
constexpr std::size_t kAddressData = 4;
constexpr std::size_t kChecksumRequest = 5;
// The identification answer: 38 bytes, then serial and signature.
constexpr std::size_t kSerialAt = 38;
constexpr std::size_t kSignatureAt = 48;
constexpr std::size_t kSignatureSize = 14;
constexpr std::size_t kSignatureWords = 5;  // hardware, cylinders, revision: words 3..5

firmware::FlashLayout FactoryLayout() {
  firmware::FlashLayout layout;
  for (std::size_t i = 0; i < kFactorySectors; ++i) {
    const auto first = static_cast<std::uint32_t>(kFactoryStart + i * kFactorySector);
    layout.sectors.push_back({first, first + kFactorySector - 1});
  }
  return layout;
}

// What the boot loader keeps beside the memory regions: the mode it is in,
// and the power it runs on.
struct BootLoader {
  firmware::FlashLayout layout;
  Hardware hardware = Hardware::kNex;
  std::map<std::string, Bytes> factory;  // the other regions, for an erase
  std::function<std::int64_t()> now_us;
  std::int64_t erase_us = 0;
  std::int64_t restart_us = 0;
  std::int64_t power_off_us = 0;
  long power_loss_after_block = 0;
  long blocks_written = 0;
  bool programming = false;
  bool erased = false;
  std::int64_t silent_until_us = 0;

  [[nodiscard]] std::size_t IdentAt() const {
    return firmware::kDefaultIdentificationAddress - layout.Start();
  }
  [[nodiscard]] bool HoldsIdent() const {
    return layout.Holds(firmware::kDefaultIdentificationAddress, kIdentSize);
  }
};

std::int64_t SteadyMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A factory firmware: code bytes from the start, the identification of the
// hardware at its address, 0xFF elsewhere.
Bytes FactoryFlash(const BootLoader& boot) {
  Bytes flash(boot.layout.Size(), 0xFF);
  if (boot.hardware == Hardware::kBlank) {
    return flash;
  }
  for (std::size_t i = 0; i < std::min(kFactoryCode, flash.size()); ++i) {
    flash[i] = static_cast<std::uint8_t>((i * 31 + 7) & 0x7F);
  }
  if (boot.HoldsIdent()) {
    const Bytes ident = IdentificationData(boot.hardware);
    std::copy_n(ident.begin(), kIdentSize,
                flash.begin() + static_cast<std::ptrdiff_t>(boot.IdentAt()));
  }
  return flash;
}

std::uint32_t AddressOf(std::span<const std::uint8_t> data) {
  return static_cast<std::uint32_t>(data[1] << 16 | data[2] << 8 | data[3]);
}

bool FirmwareValid(const EcuMemory& m) {
  return m.Region(region::kBoot)[0] == kValid;
}

// The signature follows the identification's text ("GASECU SEQ NEXHW 8CYL
// R03" gives "NEXHW-8CYL-R03"), so an ECU flashed blank and programmed
// later is recognised by its firmware.
Bytes Signature(const firmware::FirmwareIdentity& id, Hardware hardware) {
  const auto words = id.Words();
  std::string sig;
  if (words.size() >= kSignatureWords) {
    sig = words[2] + "-" + words[3] + "-" + words[4];
  } else {
    const Bytes own = IdentificationData(hardware);
    sig.assign(own.begin() + kSignatureAt, own.end());
  }
  sig.resize(kSignatureSize, ' ');
  return Bytes(sig.begin(), sig.end());
}

Bytes Identification(const BootLoader& boot, const EcuMemory& m) {
  if (!FirmwareValid(m) || !boot.HoldsIdent()) {
    return IdentificationData(Hardware::kBlank);
  }
  const auto flash = m.Region(region::kFlash);
  Bytes out(flash.begin() + static_cast<std::ptrdiff_t>(boot.IdentAt()),
            flash.begin() + static_cast<std::ptrdiff_t>(boot.IdentAt() + kIdentSize));
  const Bytes serial =
      IdentificationData(boot.hardware == Hardware::kBlank ? Hardware::kNex : boot.hardware);
  out.insert(out.end(), serial.begin() + kSerialAt, serial.begin() + kSignatureAt);
  const Bytes sig =
      Signature(*firmware::FirmwareIdentity::From(std::span(out).first(kIdentSize)), boot.hardware);
  out.insert(out.end(), sig.begin(), sig.end());
  return out;
}

// The commands the boot loader answers while the flash holds no firmware.
bool BootCommand(std::uint8_t command) {
  namespace c = link::cmd;
  for (const std::uint8_t own :
       {c::kProgramStart, c::kEraseFlash, c::kWriteFlashBlock, c::kFlashChecksums, c::kProgramEnd,
        c::kIdentify, c::kReadConnection, c::kWriteConnection}) {
    if (command == own) {
      return true;
    }
  }
  return false;
}

EcuAnswer Silence() {
  EcuAnswer a;
  a.silent = true;
  return a;
}

EcuAnswer Erase(BootLoader& boot, const EcuRequest& r, EcuMemory& m) {
  if (!boot.programming || !r.data.empty()) {
    return Refused();
  }
  const auto flash = m.Region(region::kFlash);
  std::fill(flash.begin(), flash.end(), 0xFF);
  m.Region(region::kBoot)[0] = 0;
  // The calibration lives in the erased flash: it comes back as the
  // factory's, and only what the workstation loads afterwards is the fitter's.
  for (const auto& [name, bytes] : boot.factory) {
    std::copy(bytes.begin(), bytes.end(), m.Region(name).begin());
  }
  boot.erased = true;
  EcuAnswer a = Written();
  a.busy_us = boot.erase_us;
  return a;
}

EcuAnswer WriteBlock(BootLoader& boot, const EcuRequest& r, EcuMemory& m) {
  if (!boot.programming || r.data.size() != kAddressData + kBlock || r.data[0] != 0) {
    return Refused();
  }
  const std::uint32_t address = AddressOf(r.data);
  if (!boot.layout.Holds(address, 1)) {
    return Refused();
  }
  const auto flash = m.Region(region::kFlash);
  const auto bytes = r.data.subspan(kAddressData);
  const std::size_t at = address - boot.layout.Start();
  const std::size_t inside = std::min(kBlock, flash.size() - at);
  // Flash takes a byte only where it is erased (or already holds it); past
  // the flash's end only padding may follow.
  for (std::size_t i = 0; i < kBlock; ++i) {
    if (i < inside ? flash[at + i] != 0xFF && flash[at + i] != bytes[i] : bytes[i] != 0xFF) {
      return Refused();
    }
  }
  std::copy_n(bytes.begin(), inside, flash.begin() + static_cast<std::ptrdiff_t>(at));
  if (++boot.blocks_written == boot.power_loss_after_block) {
    // The line drops after this answer: the ECU comes back in its boot
    // loader, the interrupted firmware not valid.
    boot.programming = false;
    boot.silent_until_us = boot.now_us() + boot.power_off_us;
  }
  return Ok();
}

EcuAnswer Checksums(const BootLoader& boot, const EcuRequest& r, const EcuMemory& m) {
  if (r.data.size() != kChecksumRequest || r.data[0] != 0 || r.data[4] == 0 ||
      r.data[4] > firmware::kChecksumsPerRequest) {
    return Refused();
  }
  const std::uint32_t address = AddressOf(r.data);
  const std::size_t count = r.data[4];
  if (!boot.layout.Holds(address, 1) || !boot.layout.Holds(address + (count - 1) * kBlock, 1)) {
    return Refused();
  }
  const auto flash = m.Region(region::kFlash);
  Bytes out;
  for (std::size_t b = 0; b < count; ++b) {
    Bytes block(kBlock, 0xFF);
    const std::size_t at = address - boot.layout.Start() + b * kBlock;
    std::copy_n(flash.begin() + static_cast<std::ptrdiff_t>(at),
                std::min(kBlock, flash.size() - at), block.begin());
    const std::uint16_t crc = firmware::BlockChecksum(block);
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  }
  return Ok(std::move(out));
}

EcuAnswer End(BootLoader& boot, const EcuRequest& r, EcuMemory& m) {
  if (!boot.programming || !r.data.empty()) {
    return Refused();
  }
  boot.programming = false;
  // The boot loader starts a firmware only when one was written whole: the
  // flash erased first and an identification where the firmware keeps it.
  const auto flash = m.Region(region::kFlash);
  const bool identified =
      boot.HoldsIdent() &&
      std::any_of(flash.begin() + static_cast<std::ptrdiff_t>(boot.IdentAt()),
                  flash.begin() + static_cast<std::ptrdiff_t>(boot.IdentAt() + kIdentSize),
                  [](std::uint8_t b) { return b != 0xFF; });
  m.Region(region::kBoot)[0] = boot.erased && identified ? kValid : 0;
  boot.erased = false;
  boot.silent_until_us = boot.now_us() + boot.restart_us;
  return Written();
}

void AddBootCommands(CommandTable& table, const std::shared_ptr<BootLoader>& boot) {
  namespace c = link::cmd;
  table.Add(c::kIdentify,
            [boot](const EcuRequest&, EcuMemory& m) { return Ok(Identification(*boot, m)); });
  table.Add(c::kProgramStart, [boot](const EcuRequest& r, EcuMemory&) {
    if (!r.data.empty()) {
      return Refused();
    }
    boot->programming = true;
    return Ok();
  });
  table.Add(c::kEraseFlash,
            [boot](const EcuRequest& r, EcuMemory& m) { return Erase(*boot, r, m); });
  table.Add(c::kWriteFlashBlock,
            [boot](const EcuRequest& r, EcuMemory& m) { return WriteBlock(*boot, r, m); });
  table.Add(c::kFlashChecksums,
            [boot](const EcuRequest& r, EcuMemory& m) { return Checksums(*boot, r, m); });
  table.Add(c::kProgramEnd, [boot](const EcuRequest& r, EcuMemory& m) { return End(*boot, r, m); });
}

}  // namespace

void RegisterFlash(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  auto boot = std::make_shared<BootLoader>();
  boot->layout = setup.flash.value_or(FactoryLayout());
  boot->hardware = setup.hardware;
  boot->now_us = setup.clock_us ? setup.clock_us : SteadyMicros;
  boot->erase_us = setup.erase_us;
  boot->restart_us = setup.restart_us;
  boot->power_off_us = setup.power_off_us;
  boot->power_loss_after_block = setup.power_loss_after_block;
  for (const auto& [name, bytes] : memory.Regions()) {
    boot->factory.emplace(name, bytes);
  }
  memory.Define(region::kFlash, FactoryFlash(*boot));
  memory.Define(region::kBoot,
                Bytes{setup.hardware == Hardware::kBlank ? std::uint8_t{0} : kValid});
  AddBootCommands(table, boot);
  table.SetGate([boot](const EcuRequest& r, EcuMemory& m) -> std::optional<EcuAnswer> {
    if (boot->now_us() < boot->silent_until_us) {
      return Silence();
    }
    if (!FirmwareValid(m) && !BootCommand(r.command)) {
      return Refused(result::kUnknownCommand);
    }
    return std::nullopt;
  });
}

}  // namespace velmora::sim
