#include "core/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

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

bool WriteFileAtomic(const std::string& path, std::string_view content) {
  if (path.empty()) {
    return false;
  }
  static thread_local std::mt19937 rng{std::random_device{}()};
  const std::string tmp = path + ".tmp" + std::to_string(rng() % 1000000);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  bool ok = true;
  const char* p = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) {
    ok = false;
  }
  if (::close(fd) != 0) {
    ok = false;
  }
  if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
    ok = false;
  }
  if (!ok) {
    std::remove(tmp.c_str());
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
