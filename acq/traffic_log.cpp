#include "acq/traffic_log.h"

#include <ctime>

#include "core/hex.h"
#include "link/ecu_access.h"
#include "link/message_table.h"

namespace velmora::acq {

namespace tl = traffic_log;

std::string LocalDateTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) {
    return {};
  }
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
  return std::string(text, n);
}

std::vector<std::string> StartLines(std::int64_t start_ms, std::string_view now_text,
                                    const Bytes& live_record) {
  return {
      std::string(tl::kFirstLine) + std::to_string(start_ms) + std::string(tl::kNow) +
          std::string(now_text),
      std::string(link::live::kTraceMainRecord),
      "0" + std::string(tl::kRequestMark) + std::string(link::kCmdReadMem1),
      "0" + std::string(tl::kAnswerMark) + core::BinToHex(live_record),
  };
}

bool LineFile::Open(const std::string& path, bool append) {
  Close();
  path_ = path;
  failed_ = false;
  file_ = std::fopen(path.c_str(), append ? "ab" : "wb");
  return file_ != nullptr;
}

void LineFile::WriteLine(std::string_view line) {
  if (file_ == nullptr || failed_) {
    return;
  }
  const bool ok =
      std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
      std::fwrite(tl::kLineEnd.data(), 1, tl::kLineEnd.size(), file_) == tl::kLineEnd.size() &&
      std::fflush(file_) == 0;
  failed_ = !ok;
}

void LineFile::Close() {
  if (file_ != nullptr) {
    failed_ = std::fclose(file_) != 0 || failed_;
    file_ = nullptr;
  }
}

}  // namespace velmora::acq
