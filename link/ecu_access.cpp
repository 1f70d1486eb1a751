#include "link/ecu_access.h"

#include <algorithm>

#include "core/hex.h"
#include "link/ecu_frame.h"

namespace velmora::link {

namespace {
constexpr std::int64_t kMaxWaitMs = 0xFFFF;
}

LinkTimes TimesFromSetCom(const core::SetComConfig& config) {
  return LinkTimes{config.pipe_wait_us, config.global_wait_us, config.global_wait_multiplier};
}

Bytes EcuWaitPayload(std::int64_t global_us, std::int64_t multiplier) {
  std::int64_t ms = std::max<std::int64_t>(global_us, 0) / 1000;
  const std::int64_t factor = std::max<std::int64_t>(multiplier, 0);
  // Saturate before multiplying: no product can overflow or wrap.
  if (factor != 0 && ms > kMaxWaitMs / factor) {
    ms = kMaxWaitMs;
  } else {
    ms = std::min(ms * factor, kMaxWaitMs);
  }
  return Bytes{static_cast<std::uint8_t>(ms & 0xFF), static_cast<std::uint8_t>(ms >> 8), 0, 0};
}

int EcuAccess::Message(MsgType type, std::span<const std::uint8_t> payload, Bytes* reply) {
  return pipe_.InviaMessaggio(type, payload, times_.pipe_us, reply);
}

int EcuAccess::InviaComando(std::span<const std::uint8_t> frame, Bytes* answer) {
  return Message(MsgType::kEcuFrame, frame, answer);
}

int EcuAccess::Command(std::uint8_t command, std::span<const std::uint8_t> data, Bytes* answer) {
  const auto frame = RequestFrame(command, data);
  if (!frame) {
    if (answer != nullptr) {
      answer->clear();
    }
    return kInvalidRequest;
  }
  return InviaComando(*frame, answer);
}

CustomAnswer EcuAccess::InviaComandoCustom(std::string_view hex) {
  const auto frame = core::HexToBin(hex);
  if (!frame) {
    return CustomAnswer{std::string(kCustomError), kInvalidRequest};
  }
  Bytes answer;
  const int code = InviaComando(*frame, &answer);
  if (code != kOk) {
    return CustomAnswer{std::string(kCustomError), code};
  }
  return CustomAnswer{core::BinToHex(answer), kOk};
}

int EcuAccess::SetParameter(std::uint8_t value) {
  const std::uint8_t payload[1] = {value};
  return Message(MsgType::kSetParameter, payload);
}

int EcuAccess::SetEcuWait(bool long_operation) {
  const Bytes payload =
      EcuWaitPayload(times_.global_us, long_operation ? times_.global_multiplier : 1);
  return Message(MsgType::kSetEcuWait, payload);
}

int SetLongOperationParameter(EcuAccess& ecu) {
  return ecu.SetParameter(kLongOperationParameter);
}

int WithLongOperationParameter(EcuAccess& ecu, ParameterRestore restore,
                               const std::function<int()>& body) {
  const std::uint8_t saved = ecu.CurrentParameter();
  int code = SetLongOperationParameter(ecu);
  if (code == kOk) {
    code = body();
  }
  const bool put_back = code == kOk || restore == ParameterRestore::kOnEveryPath ||
                        (restore == ParameterRestore::kUnlessNoAnswer && code != kNoExchange);
  if (!put_back) {
    return code;
  }
  const int restored = ecu.SetParameter(saved);
  return code != kOk ? code : restored;
}

int TakeAnswerData(EcuAccess& ecu, const Bytes& answer, std::size_t count, Bytes* out) {
  if (answer.size() < kAnswerDataOffset + count) {
    ecu.Pipe().ShowCommunicationError();
    return kShortPayload;
  }
  const auto first = answer.begin() + static_cast<std::ptrdiff_t>(kAnswerDataOffset);
  out->insert(out->end(), first, first + static_cast<std::ptrdiff_t>(count));
  return kOk;
}

}  // namespace velmora::link
