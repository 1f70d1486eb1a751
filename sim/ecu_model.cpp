#include "sim/ecu_model.h"

#include "link/ecu_frame.h"

namespace velmora::sim {

EcuModel::EcuModel(const SimSetup& setup) {
  RegisterAllCommands(table_, memory_, setup);
}

std::optional<ModelReply> EcuModel::Answer(std::span<const std::uint8_t> frame) {
  if (frame.size() < link::kMinFrameSize || frame[0] != link::kRequestFirst ||
      frame[1] != link::kRequestSecond ||
      static_cast<std::size_t>(frame[link::frame_at::kLength]) + 2 != frame.size() ||
      link::CheckXor(frame) != 0) {
    return std::nullopt;
  }
  const EcuRequest request{
      frame[link::frame_at::kCommand],
      frame.subspan(link::frame_at::kData, frame.size() - link::kMinFrameSize)};
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
