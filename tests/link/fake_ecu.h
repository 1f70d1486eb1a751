#pragma once

// An ECU behind the fake link: answers message 6 frames from its memory and
// echoes the link parameter, recording every request it sees.

#include <map>

#include "link/bank_transfer.h"
#include "link/ecu_frame.h"
#include "link/tuning_tables.h"
#include "tests/link/fake_link.h"

namespace velmora::link::testing {

class FakeEcu {
 public:
  explicit FakeEcu(FakeLink& link) {
    for (const auto& b : {bank::kBase, bank::kAdaptive, bank::kSecond}) {
      Bytes m(kBankSize);
      for (std::size_t i = 0; i < m.size(); ++i) {
        m[i] = static_cast<std::uint8_t>(i * 7 + b.read);
      }
      banks[b.read] = m;
    }
    for (std::size_t i = 0; i < kCompanionSize; ++i) {
      companion.push_back(static_cast<std::uint8_t>(0xC0 + i));
    }
    link.handler = [this](const Request& r) { return Handle(r); };
  }

  // An answer frame: 42 01 L command 00 data XOR.
  static Bytes Answer(std::uint8_t command, std::span<const std::uint8_t> data) {
    Bytes body{0x00};
    body.insert(body.end(), data.begin(), data.end());
    return ComponiFrame(kAnswerFirst, kAnswerSecond, command, body).value_or(Bytes{});
  }

  std::optional<Bytes> Handle(const Request& r) {
    if (r.type == static_cast<std::uint8_t>(MsgType::kSetParameter) && !r.payload.empty()) {
      parameter = r.payload[0];
    }
    if (r.type != static_cast<std::uint8_t>(MsgType::kEcuFrame)) {
      return Reply(0, {}, 1, parameter);
    }
    frames.push_back(r.payload);
    ++frame_count;
    if (fail_at_frame == frame_count) {
      return std::nullopt;  // silence: the channel times out
    }
    if (short_at_frame == frame_count) {
      return Reply(6, Answer(r.payload.size() > 3 ? r.payload[3] : 0, Bytes(3, 0)), 1, parameter);
    }
    return Reply(6, Respond(r.payload), 1, parameter);
  }

  Bytes Respond(const Bytes& f) {
    if (f.size() < 5) {
      return Answer(0, {});
    }
    const std::uint8_t command = f[3];
    const Bytes data(f.begin() + 4, f.end() - 1);
    for (const auto& b : {bank::kBase, bank::kAdaptive, bank::kSecond}) {
      if (command == b.read && data.size() == 3) {
        const std::size_t address = data[0] + data[1] * 256u;
        Bytes& m = banks[b.read];
        return Answer(command, Bytes(m.begin() + address, m.begin() + address + data[2]));
      }
      if (command == b.write && data.size() >= 3) {
        const std::size_t address = data[0] + data[1] * 256u;
        std::copy(data.begin() + 3, data.end(), banks[b.read].begin() + address);
        return Answer(command, {});
      }
    }
    if (command == cmd::kReadCompanion) {
      return Answer(command, companion);
    }
    if (command == cmd::kWriteCompanion) {
      companion = data;
      return Answer(command, {});
    }
    for (const auto& t : kTuningTableCommands) {
      if (command == t.read) {
        Bytes table(kTuningTableData, static_cast<std::uint8_t>(t.read));
        return Answer(command, table);
      }
    }
    return Answer(command, {});
  }

  // Command bytes of the frames received, in order.
  std::vector<std::uint8_t> Commands() const {
    std::vector<std::uint8_t> out;
    for (const auto& f : frames) {
      out.push_back(f.size() > 3 ? f[3] : 0);
    }
    return out;
  }

  std::map<std::uint8_t, Bytes> banks;  // by read command
  Bytes companion;
  std::uint8_t parameter = 0;
  std::vector<Bytes> frames;
  int frame_count = 0;
  int fail_at_frame = 0;   // 1-based frame that gets no answer
  int short_at_frame = 0;  // 1-based frame answered with too few bytes
};

}  // namespace velmora::link::testing
