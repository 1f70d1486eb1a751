#include "link/bank_transfer.h"

namespace velmora::link {

namespace {

bool IsFirstBank(std::uint8_t read_command) {
  return read_command == cmd::kReadBank1;
}

// The bank and, for bank 1, its companion: the five chunk reads plus 0x31.
int ReadAll(EcuAccess& ecu, std::uint8_t read_command, BankImage* out) {
  BankImage image;
  image.map.reserve(kBankSize);
  Bytes answer;
  for (const BankChunk& chunk : kBankChunks) {
    const auto address = ChunkAddress(chunk);
    if (const int code = ecu.Command(read_command, address, &answer); code != kOk) {
      return code;
    }
    if (const int code = TakeAnswerData(ecu, answer, chunk.count, &image.map); code != kOk) {
      return code;
    }
  }
  if (IsFirstBank(read_command)) {
    if (const int code = ecu.Command(cmd::kReadCompanion, {}, &answer); code != kOk) {
      return code;
    }
    if (const int code = TakeAnswerData(ecu, answer, kCompanionSize, &image.companion);
        code != kOk) {
      return code;
    }
  }
  *out = std::move(image);
  return kOk;
}

// The write frame of one chunk of `map`; empty when the map is too short.
Bytes ChunkWriteFrame(std::uint8_t write_command, const BankChunk& chunk, const Bytes& map) {
  if (map.size() < static_cast<std::size_t>(chunk.address) + chunk.count) {
    return {};
  }
  const auto address = ChunkAddress(chunk);
  Bytes data(address.begin(), address.end());
  const auto first = map.begin() + chunk.address;
  data.insert(data.end(), first, first + chunk.count);
  return RequestFrame(write_command, data).value_or(Bytes{});
}

// The chunks and, for bank 1, the companion record that differ from the ECU
// copy, or all of them when forced.
int WriteChanged(EcuAccess& ecu, std::uint8_t write_command, bool first_bank,
                 const BankImage& wanted, const BankImage& ecu_copy, bool force) {
  for (const BankChunk& chunk : kBankChunks) {
    const Bytes frame = ChunkWriteFrame(write_command, chunk, wanted.map);
    if (!force && frame == ChunkWriteFrame(write_command, chunk, ecu_copy.map)) {
      continue;
    }
    if (const int code = ecu.InviaComando(frame); code != kOk) {
      return code;
    }
  }
  if (!first_bank) {
    return kOk;
  }
  const Bytes frame = RequestFrame(cmd::kWriteCompanion, wanted.companion).value_or(Bytes{});
  const Bytes old = ecu_copy.companion.size() == kCompanionSize
                        ? RequestFrame(cmd::kWriteCompanion, ecu_copy.companion).value_or(Bytes{})
                        : Bytes{};
  return force || frame != old ? ecu.InviaComando(frame) : kOk;
}

}  // namespace

std::array<std::uint8_t, 3> ChunkAddress(const BankChunk& chunk) {
  return {static_cast<std::uint8_t>(chunk.address & 0xFF),
          static_cast<std::uint8_t>(chunk.address >> 8), chunk.count};
}

int LeggiBanco(EcuAccess& ecu, std::uint8_t read_command, BankImage* out) {
  BankImage image;
  const int code = WithLongOperationParameter(ecu, ParameterRestore::kAfterSuccess,
                                              [&] { return ReadAll(ecu, read_command, &image); });
  if (code == kOk) {
    *out = std::move(image);
  }
  return code;
}

int ScriviBanco(EcuAccess& ecu, std::uint8_t write_command, std::uint8_t read_command,
                const BankImage& wanted, const BankImage& ecu_copy, bool force,
                BankImage* read_back) {
  const bool first_bank = IsFirstBank(read_command);
  if (wanted.map.size() != kBankSize || (first_bank && wanted.companion.size() != kCompanionSize)) {
    return kInvalidRequest;
  }
  BankImage image;
  const int code = WithLongOperationParameter(ecu, ParameterRestore::kAfterSuccess, [&] {
    const int written = WriteChanged(ecu, write_command, first_bank, wanted, ecu_copy, force);
    return written == kOk ? ReadAll(ecu, read_command, &image) : written;
  });
  if (code == kOk && read_back != nullptr) {
    *read_back = std::move(image);
  }
  return code;
}

}  // namespace velmora::link
