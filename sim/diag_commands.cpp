// The ECU's diagnosis: its error memory with the erase, and the car's side
// of the OBD link (protocol trials, the stored trouble codes the ECU reads
// from the car and its selective-clear list).
#include <algorithm>
#include <array>
#include <string>

#include "link/ecu_frame.h"
#include "sim/commands.h"
#include "sim/diag_model.h"

namespace velmora::sim {
namespace {

constexpr std::uint8_t kReadErrors = 0x0F;
constexpr std::uint8_t kReadObdErrors = 0x9B;
constexpr std::uint8_t kReadObdInfo = 0x9D;
// The ECU's answer while the engine condition does not allow an erase.
constexpr std::uint8_t kConditionsNotMet = 0x22;

constexpr const char* kObdErrors = "OBD_ERR";
constexpr const char* kObdInfo = "OBD_INFO_ERR";
constexpr std::size_t kObdListSize = 22;

// The selective-clear list ("[OBD_ERR]"): flags, count, ten codes.
namespace obd_list {
constexpr std::size_t kFlags = 0;
constexpr std::size_t kCount = 1;
constexpr std::size_t kFirstCode = 2;
constexpr std::size_t kMaxCodes = 10;
constexpr std::uint8_t kBlockObd = 32;
constexpr std::uint8_t kMilAlwaysOff = 8;
}  // namespace obd_list
// The car's stored codes ("[OBD_INFO_ERR]"): count, lamp, ten codes.
namespace car_codes {
constexpr std::size_t kCount = 0;
constexpr std::size_t kMil = 1;
constexpr std::size_t kFirstCode = 2;
}  // namespace car_codes

// The car behind the OBD socket: it answers on one protocol, from one
// engine controller, and has two codes stored.
constexpr std::uint8_t kCarProtocol = 6;  // CAN STD500
constexpr std::uint8_t kCarEcus = 1;
constexpr std::uint8_t kCarAddress = 0x10;
constexpr std::array<std::uint16_t, 2> kCarCodes = {0x0171, 0x0420};  // P0171, P0420
constexpr std::uint8_t kNoAnswer = 0xFF;
// The OBD data record: the ECUs found, the protocol, the address.
constexpr std::size_t kObdEcus = 0;
constexpr std::size_t kObdProtocol = 1;
constexpr std::size_t kObdAddress = 2;

std::uint16_t CodeAt(std::span<const std::uint8_t> d, std::size_t i) {
  return static_cast<std::uint16_t>(d[2 * i] | (d[2 * i + 1] << 8));
}

std::vector<std::uint16_t> Codes(std::span<const std::uint8_t> d, std::size_t count_at,
                                 std::size_t first) {
  const std::size_t count = std::min<std::size_t>(d[count_at], obd_list::kMaxCodes);
  std::vector<std::uint16_t> codes;
  for (std::size_t i = 0; i < count; ++i) {
    codes.push_back(CodeAt(d.subspan(first), i));
  }
  return codes;
}

void PutCodes(std::span<std::uint8_t> d, std::size_t count_at, std::size_t first,
              const std::vector<std::uint16_t>& codes) {
  std::fill(d.begin() + static_cast<std::ptrdiff_t>(first), d.end(), 0);
  d[count_at] = static_cast<std::uint8_t>(codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    d[first + 2 * i] = static_cast<std::uint8_t>(codes[i] & 0xFF);
    d[first + 2 * i + 1] = static_cast<std::uint8_t>(codes[i] >> 8);
  }
}

Bytes InitialCarCodes() {
  Bytes d(kObdListSize, 0);
  PutCodes(d, car_codes::kCount, car_codes::kFirstCode, {kCarCodes.begin(), kCarCodes.end()});
  d[car_codes::kMil] = 1;
  return d;
}

// With the link to the car free, the ECU clears the listed codes in the car;
// the lamp stays lit while codes remain, unless it is kept off.
void ApplySelectiveClear(EcuMemory& m) {
  const auto list = m.Region(kObdErrors);
  const auto car = m.Region(kObdInfo);
  if ((list[obd_list::kFlags] & obd_list::kBlockObd) != 0) {
    return;
  }
  const auto cleared = Codes(list, obd_list::kCount, obd_list::kFirstCode);
  auto stored = Codes(car, car_codes::kCount, car_codes::kFirstCode);
  std::erase_if(stored, [&](std::uint16_t c) {
    return std::find(cleared.begin(), cleared.end(), c) != cleared.end();
  });
  PutCodes(car, car_codes::kCount, car_codes::kFirstCode, stored);
  car[car_codes::kMil] =
      !stored.empty() && (list[obd_list::kFlags] & obd_list::kMilAlwaysOff) == 0 ? 1 : 0;
}

EcuAnswer ReadRegion(const EcuRequest& r, EcuMemory& m, const char* name) {
  if (!r.data.empty()) {
    return Refused();
  }
  const auto d = m.Region(name);
  return Ok(Bytes(d.begin(), d.end()));
}

// A trial of one protocol: the car answers on its own only; the ECU then
// keeps the protocol, the controllers found and the address.
EcuAnswer TryProtocol(const EcuRequest& r, EcuMemory& m) {
  if (r.data.size() != 1) {
    return Refused();
  }
  const std::uint8_t protocol = r.data[0];
  if (protocol != kCarProtocol) {
    return Ok({protocol, kNoAnswer, kNoAnswer});
  }
  const auto obd = m.Region(region::kObdData);
  if (obd.size() > kObdAddress) {
    obd[kObdEcus] = kCarEcus;
    obd[kObdProtocol] = protocol;
    obd[kObdAddress] = kCarAddress;
  }
  EcuAnswer a = Ok({protocol, kCarEcus, kCarAddress});
  a.memory_changed = true;
  return a;
}

}  // namespace

void RegisterDiagnostics(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  memory.Define(region::kErrorMemory, InitialErrorMemory(setup.ecu_errors));
  memory.Define(diag_region::kName, InitialDiagnosis(setup.ecu_errors));
  memory.Define(kObdErrors, Bytes(kObdListSize, 0));
  memory.Define(kObdInfo, InitialCarCodes());

  table.Add(kReadErrors, [](const EcuRequest& r, EcuMemory& m) {
    return ReadRegion(r, m, region::kErrorMemory);
  });
  table.Add(link::cmd::kEraseErrors, [](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    return EraseErrors(m) ? Written() : Refused(kConditionsNotMet);
  });
  table.Add(kReadObdErrors,
            [](const EcuRequest& r, EcuMemory& m) { return ReadRegion(r, m, kObdErrors); });
  table.Add(link::cmd::kWriteObdErrors, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != kObdListSize) {
      return Refused();
    }
    std::copy(r.data.begin(), r.data.end(), m.Region(kObdErrors).begin());
    ApplySelectiveClear(m);
    return Written();
  });
  table.Add(kReadObdInfo,
            [](const EcuRequest& r, EcuMemory& m) { return ReadRegion(r, m, kObdInfo); });
  table.Add(link::cmd::kObdProtocolTrial, TryProtocol);
}

}  // namespace velmora::sim
