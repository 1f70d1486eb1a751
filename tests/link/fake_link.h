#pragma once

// A link server inside the test: the channel talks to it through a real pipe
// pair, and it answers from the event pump the channel calls while it waits,
// so every exchange runs on the test's own thread and fake clock.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "core/bytes.h"
#include "core/session_flags.h"
#include "link/pipe_channel.h"
#include "link/pipe_protocol.h"
#include "platform/fake/fakes.h"
#include "platform/sys_io.h"
#include "platform/unique_fd.h"

namespace velmora::link::testing {

struct Request {
  std::uint8_t type = 0;
  Bytes payload;
};

// A reply as the link server writes it.
inline Bytes Reply(std::uint8_t status, std::span<const std::uint8_t> payload = {},
                   std::uint8_t link_state = 1, std::uint8_t parameter = 0, std::uint8_t port = 0) {
  return EncodeReply(ReplyHeader{status, link_state, 0, parameter, port, 0}, payload);
}

// A raw reply of `total` bytes whose length field says `total`.
inline Bytes RawReply(std::size_t total, std::uint8_t status) {
  Bytes r(total, 0xAA);
  if (total >= 1) {
    r[0] = static_cast<std::uint8_t>(total >> 8);
  }
  if (total >= 2) {
    r[1] = static_cast<std::uint8_t>(total & 0xFF);
  }
  if (total >= 3) {
    r[2] = status;
  }
  if (total >= 4) {
    r[3] = 1;
  }
  return r;
}

class FakeLink final : public platform::EventPump {
 public:
  // Returns the reply to one request, or nullopt to stay silent.
  using Handler = std::function<std::optional<Bytes>(const Request&)>;

  explicit FakeLink(platform::FakeClock& clock) : clock_(clock) {
    int req[2];
    int rep[2];
    if (io_.Pipe(req, O_CLOEXEC).value == 0 && io_.Pipe(rep, O_CLOEXEC).value == 0) {
      request_read_.Reset(req[0]);
      request_write_.Reset(req[1]);
      reply_read_.Reset(rep[0]);
      reply_write_.Reset(rep[1]);
      (void)io_.Fcntl(request_read_.Get(), F_SETFL, O_NONBLOCK);
    }
  }

  // Hands the channel its ends of the pipes.
  void AttachTo(ModPipe& pipe) { pipe.Attach(std::move(request_write_), std::move(reply_read_)); }

  // Writes bytes the channel has not asked for.
  void WriteRaw(std::span<const std::uint8_t> bytes) {
    (void)io_.Write(reply_write_.Get(), bytes.data(), bytes.size());
  }
  void CloseReplies() { reply_write_.Reset(); }
  void CloseRequests() { request_read_.Reset(); }

  void Pump() override {
    ++pumps;
    if (on_pump) {
      on_pump();
    }
  }

  bool WaitReadable(int /*fd*/, std::int64_t max_micros) override {
    ++waits;
    if (on_pump) {
      on_pump();
    }
    Serve();
    if (!pending_.empty()) {
      const std::size_t n =
          piece_size == 0 ? pending_.size() : std::min(piece_size, pending_.size());
      Bytes piece(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
      WriteRaw(piece);
      clock_.now += 100;
      return true;
    }
    clock_.now += max_micros;
    return false;
  }

  // Reads every complete request waiting in the request pipe.
  void Serve() {
    std::uint8_t buf[4096];
    for (;;) {
      const long n = io_.Read(request_read_.Get(), buf, sizeof buf).value;
      if (n <= 0) {
        break;
      }
      inbox_.insert(inbox_.end(), buf, buf + n);
    }
    while (inbox_.size() >= 2) {
      const std::size_t total = inbox_[0] + static_cast<std::size_t>(inbox_[1]) * 256;
      if (total < kHeaderSize || inbox_.size() < total) {
        break;
      }
      Request r;
      r.type = inbox_[2];
      r.payload.assign(inbox_.begin() + kHeaderSize,
                       inbox_.begin() + static_cast<std::ptrdiff_t>(total));
      raw_requests.emplace_back(inbox_.begin(),
                                inbox_.begin() + static_cast<std::ptrdiff_t>(total));
      inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(total));
      requests.push_back(r);
      if (handler) {
        if (auto reply = handler(r)) {
          pending_.insert(pending_.end(), reply->begin(), reply->end());
        }
      }
    }
  }

  Handler handler;
  std::function<void()> on_pump;
  std::size_t piece_size = 0;  // 0: each reply in one write
  std::vector<Request> requests;
  std::vector<Bytes> raw_requests;
  int waits = 0;
  int pumps = 0;

 private:
  platform::FakeClock& clock_;
  // The system's own calls, so the pipes are the ones the channel gets in production.
  platform::SysIo& io_ = platform::PosixSysIo();
  platform::UniqueFd request_read_;
  platform::UniqueFd request_write_;
  platform::UniqueFd reply_read_;
  platform::UniqueFd reply_write_;
  std::deque<std::uint8_t> inbox_;
  std::deque<std::uint8_t> pending_;
};

// The channel with every service faked and its pipes on a FakeLink.
struct ChannelRig {
  platform::FakeClock clock;
  FakeLink link{clock};
  platform::FakeMessageBox box;
  platform::FakeProcessList processes;
  core::SessionFlags flags;
  ModPipe pipe;

  explicit ChannelRig(platform::SysIo& io = platform::PosixSysIo())
      : pipe(PipeServices{box, clock, link, processes, io, flags},
             LinkLocation{"/opt/velmora/bin", "LinkSrv", {}}) {
    link.AttachTo(pipe);
  }
};

}  // namespace velmora::link::testing
