#include "core/files.h"

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <span>

namespace velmora::core {

bool EsisteFile(const std::string& path) {
  std::error_code ec;
  if (path.empty() || std::filesystem::is_directory(path, ec)) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  return in.good();
}

bool EsisteCartella(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool CreaCartella(const std::string& path) {
  if (EsisteCartella(path)) {
    return true;
  }
  std::error_code ec;
  std::filesystem::create_directory(path, ec);
  return EsisteCartella(path);
}

std::vector<std::string> SplitCrLf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = text.find("\r\n", start);
    if (pos == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, pos - start));
    start = pos + 2;
  }
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::error_code ec;
  if (path.empty() || std::filesystem::is_directory(path, ec)) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    return false;
  }
  out = std::move(data);
  return true;
}

bool LeggiRighe(const std::string& path, std::vector<std::string>& lines) {
  std::string data;
  if (!ReadWholeFile(path, data)) {
    return false;
  }
  lines = SplitCrLf(data);
  return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view content, platform::SysIo& io) {
  if (path.empty()) {
    return false;
  }
  static thread_local std::mt19937 rng{std::random_device{}()};
  const std::string tmp = path + ".tmp" + std::to_string(rng() % 1000000);
  const platform::IoResult opened = platform::RetryInterrupted(
      [&] { return io.Open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); });
  if (opened.value < 0) {
    return false;
  }
  const int fd = static_cast<int>(opened.value);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(content.data()),
                                            content.size());
  bool ok = platform::WriteFully(io, fd, bytes).value >= 0;
  ok = ok && io.Fsync(fd).value == 0;
  // A failed close may be the first report of a failed write.
  ok = io.Close(fd).value == 0 && ok;
  ok = ok && io.Rename(tmp.c_str(), path.c_str()).value == 0;
  if (!ok) {
    (void)io.Unlink(tmp.c_str());
  }
  return ok;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

}  // namespace velmora::core
