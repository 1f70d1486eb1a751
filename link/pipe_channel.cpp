#include "link/pipe_channel.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "core/busy_flag.h"

namespace velmora::link {

namespace {

// The longest a wait goes without pumping events.
constexpr std::int64_t kPumpPeriodUs = 10'000;
// Stale bytes are drained in bounded bites so a runaway writer cannot keep
// the channel here.
constexpr int kMaxStaleReads = 256;
constexpr std::size_t kReadChunk = 4096;

void SetNonBlocking(platform::SysIo& io, int fd) {
  const platform::IoResult flags = io.Fcntl(fd, F_GETFL, 0);
  if (flags.value >= 0) {
    (void)io.Fcntl(fd, F_SETFL, static_cast<int>(flags.value) | O_NONBLOCK);
  }
}

bool WouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

ModPipe::ModPipe(PipeServices services, LinkLocation location)
    : services_(services), location_(std::move(location)) {}

void ModPipe::Attach(platform::UniqueFd request_write, platform::UniqueFd reply_read) {
  request_fd_ = std::move(request_write);
  reply_fd_ = std::move(reply_read);
  // Neither end may ever block the user-interface thread: waits are done by
  // the event pump with a deadline.
  if (request_fd_.Valid()) {
    SetNonBlocking(services_.io, request_fd_.Get());
  }
  if (reply_fd_.Valid()) {
    SetNonBlocking(services_.io, reply_fd_.Get());
  }
}

void ModPipe::Detach() {
  request_fd_.Reset();
  reply_fd_.Reset();
}

std::int64_t ModPipe::Adesso() {
  return services_.clock.NowMicros();
}

void ModPipe::Attendi(std::int64_t micros) {
  const std::int64_t deadline = Adesso() + std::max<std::int64_t>(micros, 0);
  services_.pump.Pump();
  for (std::int64_t now = Adesso(); now < deadline; now = Adesso()) {
    (void)services_.pump.WaitReadable(-1, std::min(kPumpPeriodUs, deadline - now));
  }
}

void ModPipe::ShowCommunicationError() {
  services_.box.Show(pipe_text::kCommError, pipe_text::kCommErrorCaption,
                     platform::BoxKind::Critical);
}

int ModPipe::TimeOut() {
  services_.box.Show(pipe_text::kTimeOut, "", platform::BoxKind::Information);
  services_.flags.timeout = true;
  services_.flags.exit_request = true;
  services_.flags.ecu_lost = false;
  return kNoExchange;
}

int ModPipe::SendError() {
  services_.box.Show(pipe_text::kSendError, pipe_text::kSendErrorCaption,
                     platform::BoxKind::Critical);
  if (link_gone_) {
    // Nobody reads the requests any more: as with a reply that never
    // comes, the session ends instead of failing every tick for ever.
    services_.flags.timeout = true;
    services_.flags.exit_request = true;
    services_.flags.ecu_lost = false;
  }
  return kNoExchange;
}

void ModPipe::DiscardStale() {
  // A reply that arrived after its exchange gave up must not be taken for
  // the answer to the next request.
  std::uint8_t sink[kReadChunk];
  for (int i = 0; i < kMaxStaleReads; ++i) {
    const platform::IoResult r = services_.io.Read(reply_fd_.Get(), sink, sizeof sink);
    if (r.value < 0 && r.error == EINTR) {
      continue;
    }
    if (r.value <= 0) {
      return;
    }
  }
}

bool ModPipe::WriteAll(std::span<const std::uint8_t> bytes, std::int64_t timeout_us) {
  const std::int64_t deadline = Adesso() + std::max<std::int64_t>(timeout_us, 0);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const platform::IoResult r =
        services_.io.Write(request_fd_.Get(), bytes.data() + done, bytes.size() - done);
    if (r.value > 0) {
      done += static_cast<std::size_t>(r.value);
      continue;
    }
    if (r.value < 0 && r.error == EINTR) {
      continue;
    }
    link_gone_ = r.value < 0 && r.error == EPIPE;
    if (r.value < 0 && WouldBlock(r.error)) {
      // The link is not reading: a full pipe is given the reply time-out to
      // drain, then the request counts as not written.
      const std::int64_t now = Adesso();
      if (now >= deadline) {
        return false;
      }
      services_.pump.Pump();
      pollfd p{request_fd_.Get(), POLLOUT, 0};
      const auto wait_ms = static_cast<int>((std::min(kPumpPeriodUs, deadline - now) + 999) / 1000);
      (void)services_.io.Poll(&p, 1, wait_ms);
      continue;
    }
    return false;
  }
  return true;
}

ModPipe::ReadOutcome ModPipe::ReadReply(std::int64_t timeout_us, Bytes& raw) {
  const std::int64_t deadline = Adesso() + std::max<std::int64_t>(timeout_us, 0);
  raw.clear();
  // First the two length bytes, then exactly as many bytes as they announce,
  // however many pieces they come in. Bytes past the reply stay in the pipe
  // and are discarded before the next request.
  std::size_t want = 2;
  bool length_known = false;
  for (;;) {
    while (raw.size() < want) {
      std::uint8_t buf[kReadChunk];
      const std::size_t ask = std::min(sizeof buf, want - raw.size());
      const platform::IoResult r = services_.io.Read(reply_fd_.Get(), buf, ask);
      if (r.value > 0) {
        raw.insert(raw.end(), buf, buf + r.value);
        if (!length_known && raw.size() >= 2) {
          length_known = true;
          const std::size_t total = static_cast<std::size_t>(raw[0]) * 256 + raw[1];
          if (total < kHeaderSize) {
            return ReadOutcome::kComplete;  // malformed: the parser says so
          }
          want = total;
        }
        continue;
      }
      if (r.value < 0 && r.error == EINTR) {
        continue;
      }
      if (r.value < 0 && WouldBlock(r.error)) {
        break;
      }
      // End of file or a read error: the link server is gone and no reply
      // will ever come, so the deadline need not be waited out.
      return ReadOutcome::kTimedOut;
    }
    if (raw.size() >= want) {
      return ReadOutcome::kComplete;
    }
    const std::int64_t now = Adesso();
    if (now >= deadline) {
      return ReadOutcome::kTimedOut;
    }
    (void)services_.pump.WaitReadable(reply_fd_.Get(), std::min(kPumpPeriodUs, deadline - now));
  }
}

int ModPipe::InviaMessaggio(std::uint8_t type, std::span<const std::uint8_t> payload,
                            std::int64_t timeout_us, Bytes* reply) {
  if (reply != nullptr) {
    reply->clear();
  }
  if (busy_) {
    return kNoExchange;
  }
  core::BusyFlag guard(busy_);
  link_gone_ = false;

  const auto request = EncodeRequest(type, payload);
  if (!request || !Attached()) {
    return SendError();
  }
  DiscardStale();
  if (!WriteAll(*request, timeout_us)) {
    return SendError();
  }
  Bytes raw;
  if (ReadReply(timeout_us, raw) == ReadOutcome::kTimedOut) {
    return TimeOut();
  }

  ParsedReply parsed = ParseReply(raw);
  if (parsed.header_valid) {
    last_.header = parsed.header;
    // A link that no longer reaches the ECU means the ECU is lost, except in
    // the states where no ECU is expected.
    const int state = services_.flags.state;
    if (parsed.header.link_state != 1 && state != core::session_state::kSearching &&
        state != core::session_state::kDisconnected && state != core::session_state::kBlankEcu &&
        state != core::session_state::kPostOperation) {
      services_.flags.ecu_lost = true;
    }
  }
  if (parsed.result != kOk) {
    ShowCommunicationError();
    return parsed.result;
  }
  last_.payload = parsed.payload;
  if (reply != nullptr) {
    *reply = std::move(parsed.payload);
  }
  return kOk;
}

}  // namespace velmora::link
