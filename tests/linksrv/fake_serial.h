#pragma once

// A serial line with a scripted ECU behind it, on a fake clock: reads that
// find nothing advance the clock by their whole time-out, so time-outs are
// exact and instant.

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "link/server/port_directory.h"
#include "link/server/serial_port.h"
#include "platform/fake/fakes.h"

namespace velmora::link::server::testing {

struct FakeLine {
  // The ECU: the chunks it sends back for one request (empty: silence).
  std::function<std::vector<Bytes>(const Bytes& request)> ecu;
  std::optional<int> answering_baud;  // the ECU hears only this rate when set
  std::deque<Bytes> incoming;
  std::vector<Bytes> written;
  std::vector<LineSettings> configured;
  int discards = 0;
  bool read_fails = false;
};

class FakeSerialPort final : public SerialPort {
 public:
  FakeSerialPort(FakeLine& line, platform::FakeClock& clock) : line_(line), clock_(clock) {}

  IoResult Configure(const LineSettings& s) override {
    line_.configured.push_back(s);
    baud_ = s.baud;
    return IoResult::kOk;
  }
  IoResult DiscardInput() override {
    ++line_.discards;
    line_.incoming.clear();
    return IoResult::kOk;
  }
  IoResult Write(std::span<const std::uint8_t> bytes) override {
    line_.written.emplace_back(bytes.begin(), bytes.end());
    if (line_.ecu && (!line_.answering_baud || *line_.answering_baud == baud_)) {
      for (Bytes& chunk : line_.ecu(line_.written.back())) {
        line_.incoming.push_back(std::move(chunk));
      }
    }
    return IoResult::kOk;
  }
  ReadResult Read(std::span<std::uint8_t> buffer, std::int64_t timeout_us) override {
    if (line_.read_fails) {
      return {IoResult::kClosed, 0};
    }
    if (line_.incoming.empty()) {
      clock_.now += timeout_us;
      return {IoResult::kTimeout, 0};
    }
    Bytes& chunk = line_.incoming.front();
    const std::size_t n = std::min(chunk.size(), buffer.size());
    std::copy_n(chunk.begin(), n, buffer.begin());
    chunk.erase(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    if (chunk.empty()) {
      line_.incoming.pop_front();
    }
    return {IoResult::kOk, n};
  }

 private:
  FakeLine& line_;
  platform::FakeClock& clock_;
  int baud_ = 0;
};

class FakeOpener final : public SerialOpener {
 public:
  explicit FakeOpener(platform::FakeClock& clock) : clock_(clock) {}
  OpenResult Open(const std::string& device) override {
    opened.push_back(device);
    const auto it = lines.find(device);
    if (it == lines.end()) {
      return {};
    }
    return {IoResult::kOk, std::make_unique<FakeSerialPort>(it->second, clock_)};
  }
  std::map<std::string, FakeLine> lines;
  std::vector<std::string> opened;

 private:
  platform::FakeClock& clock_;
};

class FakePorts final : public PortDirectory {
 public:
  std::optional<std::string> Device(int number) override {
    const auto it = devices.find(number);
    return it == devices.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::vector<int> Numbers() override {
    std::vector<int> n;
    for (const auto& [k, v] : devices) {
      n.push_back(k);
    }
    return n;
  }
  std::map<int, std::string> devices;
};

}  // namespace velmora::link::server::testing
