#include "sim/ecu_model.h"

#include "link/ecu_frame.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kLengthOffset = 2;
constexpr std::size_t kCommandOffset = 3;
constexpr std::size_t kDataOffset = 4;
constexpr std::size_t kMinFrame = 5;

}  // namespace

EcuModel::EcuModel(const SimSetup& setup) {
  RegisterAllCommands(table_, memory_, setup);
}

std::optional<ModelReply> EcuModel::Answer(std::span<const std::uint8_t> frame) {
  if (frame.size() < kMinFrame || frame[0] != link::kRequestFirst ||
      frame[1] != link::kRequestSecond ||
      static_cast<std::size_t>(frame[kLengthOffset]) + 2 != frame.size() ||
      link::CheckXor(frame) != 0) {
    return std::nullopt;
  }
  const EcuRequest request{frame[kCommandOffset],
                           frame.subspan(kDataOffset, frame.size() - kMinFrame)};
  std::optional<EcuAnswer> gated = table_.Gate(request, memory_);
  const CommandHandler* handler = table_.Find(request.command);
  EcuAnswer answer = gated ? std::move(*gated)
                           : (handler != nullptr ? (*handler)(request, memory_)
                                                 : Refused(result::kUnknownCommand));
  if (answer.silent) {
    return std::nullopt;
  }
  if (answer.data.size() + 1 > link::kMaxFrameData) {
    answer = Refused();
  }
  Bytes data;
  data.reserve(answer.data.size() + 1);
  data.push_back(answer.result);
  data.insert(data.end(), answer.data.begin(), answer.data.end());
  ModelReply reply;
  reply.frame =
      link::ComponiFrame(link::kAnswerFirst, link::kAnswerSecond, request.command, data).value();
  reply.busy_us = answer.busy_us;
  reply.memory_changed = answer.memory_changed;
  return reply;
}

}  // namespace velmora::sim
