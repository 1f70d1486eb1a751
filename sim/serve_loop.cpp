#include "sim/serve_loop.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

#include "core/hex.h"
#include "platform/sys_io.h"
#include "sim/request_splitter.h"

namespace velmora::sim {
namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
constexpr std::int64_t kNanosPerMicro = 1000;
constexpr std::int64_t kBitsPerByte = 10;  // start, 8 data, stop
// Answers go out in small bursts, each when its last byte would have left
// the wire, so the reader sees the real timing to within a few byte times.
constexpr std::size_t kBurst = 8;
// A partial request older than this is a broken one.
constexpr std::int64_t kRequestGapUs = 50'000;
constexpr std::size_t kReadChunk = 512;

std::int64_t NowNs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

enum class Wake { kReadable, kTimeout, kSignal, kError };

// Waits for input on fd (or just for time when fd < 0) until deadline_ns
// (< 0: no deadline).
Wake WaitUntil(int fd, std::int64_t deadline_ns, const sigset_t& mask) {
  pollfd p{fd, POLLIN, 0};
  timespec ts{};
  timespec* timeout = nullptr;
  if (deadline_ns >= 0) {
    const std::int64_t left = std::max<std::int64_t>(0, deadline_ns - NowNs());
    ts.tv_sec = static_cast<time_t>(left / kNanosPerSecond);
    ts.tv_nsec = static_cast<long>(left % kNanosPerSecond);
    timeout = &ts;
  }
  const int r = ::ppoll(fd >= 0 ? &p : nullptr, fd >= 0 ? 1 : 0, timeout, &mask);
  if (r < 0) {
    return errno == EINTR ? Wake::kSignal : Wake::kError;
  }
  if (r == 0) {
    return Wake::kTimeout;
  }
  if ((p.revents & POLLIN) != 0) {
    return Wake::kReadable;
  }
  return Wake::kError;
}

// Sleeps until deadline_ns; false when a stop was asked for meanwhile.
bool SleepUntil(std::int64_t deadline_ns, const volatile std::sig_atomic_t& stop,
                const sigset_t& mask) {
  while (stop == 0 && NowNs() < deadline_ns) {
    (void)WaitUntil(-1, deadline_ns, mask);
  }
  return stop == 0;
}

void WritePaced(int fd, std::span<const std::uint8_t> bytes, std::int64_t start_ns,
                std::int64_t byte_ns, const volatile std::sig_atomic_t& stop,
                const sigset_t& mask) {
  for (std::size_t first = 0; first < bytes.size(); first += kBurst) {
    const std::size_t end = std::min(bytes.size(), first + kBurst);
    if (!SleepUntil(start_ns + static_cast<std::int64_t>(end) * byte_ns, stop, mask)) {
      return;
    }
    const auto burst = bytes.subspan(first, end - first);
    if (platform::WriteFully(platform::PosixSysIo(), fd, burst).value < 0) {
      return;  // nobody is listening: the rest is lost on the wire
    }
  }
}

void Log(bool on, const std::string& line) {
  if (on) {
    std::fprintf(stderr, "ecusim: %s\n", line.c_str());
  }
}

const char* FaultName(FaultKind k) {
  switch (k) {
    case FaultKind::kNone:
      return "";
    case FaultKind::kSilent:
      return " (silent)";
    case FaultKind::kDrop:
      return " (dropped)";
    case FaultKind::kGarbage:
      return " (garbage)";
    case FaultKind::kTruncate:
      return " (truncated)";
    case FaultKind::kBadXor:
      return " (bad check byte)";
  }
  return "";
}

}  // namespace

int ServeEcu(int fd, EcuModel& model, FaultInjector& faults, const ServeSettings& settings,
             const volatile std::sig_atomic_t& stop, const sigset_t& wait_mask) {
  const std::int64_t byte_ns = kBitsPerByte * kNanosPerSecond / std::max(1, settings.baud);
  RequestSplitter splitter(kRequestGapUs);
  std::array<std::uint8_t, kReadChunk> buffer{};
  while (stop == 0) {
    const Wake w = WaitUntil(fd, -1, wait_mask);
    if (w == Wake::kSignal || w == Wake::kTimeout) {
      continue;
    }
    if (w == Wake::kError) {
      return 1;
    }
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (n <= 0) {
      return 1;
    }
    const std::int64_t arrived = NowNs();
    for (const Bytes& frame :
         splitter.Feed(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                       arrived / kNanosPerMicro)) {
      if (faults.Silences(frame)) {
        continue;
      }
      std::optional<ModelReply> reply = model.Answer(frame);
      if (settings.received) {
        settings.received(frame, reply.has_value());
      }
      if (!reply) {
        Log(settings.log, "rx " + core::BinToHex(frame) + " ignored");
        continue;
      }
      if (reply->memory_changed && settings.memory_changed) {
        settings.memory_changed();
      }
      const ShapedAnswer shaped = faults.Shape(reply->frame);
      Log(settings.log, "rx " + core::BinToHex(frame) + " tx " +
                            core::BinToHex(shaped.bytes.value_or(Bytes{})) +
                            FaultName(shaped.kind));
      if (!shaped.bytes) {
        continue;
      }
      // The request took its wire time to arrive, then the ECU works on it.
      const std::int64_t start =
          arrived + static_cast<std::int64_t>(frame.size()) * byte_ns +
          (settings.proc_us + reply->busy_us + shaped.extra_delay_us) * kNanosPerMicro;
      WritePaced(fd, *shaped.bytes, start, byte_ns, stop, wait_mask);
    }
  }
  return 0;
}

}  // namespace velmora::sim
