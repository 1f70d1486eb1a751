// A stand-in link server for the process tests: answers every request with
// status 0, link state 1 and the request's payload, and a few test-only
// message types with facts about itself.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kShutdown = 1;
constexpr std::uint8_t kListFds = 99;  // payload: the open descriptor numbers
constexpr std::uint8_t kGetEnv = 98;   // payload names a variable; answer: its value

bool ReadAll(std::uint8_t* p, std::size_t n) {
  while (n > 0) {
    const ssize_t r = ::read(0, p, n);
    if (r <= 0) {
      return false;
    }
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

void WriteAll(const std::vector<std::uint8_t>& v) {
  std::size_t done = 0;
  while (done < v.size()) {
    const ssize_t r = ::write(1, v.data() + done, v.size() - done);
    if (r <= 0) {
      std::exit(1);
    }
    done += static_cast<std::size_t>(r);
  }
}

std::vector<std::uint8_t> OpenFds() {
  std::vector<std::uint8_t> out;
  DIR* d = ::opendir("/proc/self/fd");
  if (d == nullptr) {
    return out;
  }
#ifdef _WIN32
  const int own = -1;  // no descriptor behind the listing (and no /proc either)
#else
  const int own = ::dirfd(d);
#endif
  while (const dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') {
      continue;
    }
    const int fd = std::atoi(e->d_name);
    if (fd != own) {
      out.push_back(static_cast<std::uint8_t>(fd));
    }
  }
  ::closedir(d);
  return out;
}

}  // namespace

int main() {
#ifdef _WIN32
  // Bytes, not text: no CR added before a length byte that happens to be LF.
  (void)_setmode(0, _O_BINARY);
  (void)_setmode(1, _O_BINARY);
#endif
  for (;;) {
    std::uint8_t header[8];
    if (!ReadAll(header, sizeof header)) {
      return 0;
    }
    const std::size_t total = header[0] + header[1] * 256u;
    if (total < 8) {
      return 1;
    }
    std::vector<std::uint8_t> payload(total - 8);
    if (!ReadAll(payload.data(), payload.size())) {
      return 0;
    }
    std::vector<std::uint8_t> body = payload;
    if (header[2] == kListFds) {
      body = OpenFds();
    } else if (header[2] == kGetEnv) {
      const char* v = std::getenv(std::string(payload.begin(), payload.end()).c_str());
      const std::string value = v != nullptr ? v : "";
      body.assign(value.begin(), value.end());
    }
    const std::size_t reply_total = body.size() + 8;
    std::vector<std::uint8_t> reply = {static_cast<std::uint8_t>(reply_total >> 8),
                                       static_cast<std::uint8_t>(reply_total & 0xFF),
                                       0,
                                       1,
                                       0,
                                       0,
                                       0,
                                       0};
    reply.insert(reply.end(), body.begin(), body.end());
    WriteAll(reply);
    if (header[2] == kShutdown) {
      return 0;
    }
  }
}
