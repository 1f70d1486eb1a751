#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/sys_io.h"

namespace velmora::core {

[[nodiscard]] bool EsisteFile(const std::string& path);
[[nodiscard]] bool EsisteCartella(const std::string& path);
// Makes the folder when it does not exist yet; true when it exists afterwards.
bool CreaCartella(const std::string& path);

// Splits at each CR LF pair; a lone LF is not a line break, and the text after
// the last CR LF is the last line.
[[nodiscard]] std::vector<std::string> SplitCrLf(std::string_view text);

// Reads a whole file into CR LF lines. A missing or unreadable file returns
// false and leaves `lines` untouched.
[[nodiscard]] bool LeggiRighe(const std::string& path, std::vector<std::string>& lines);

// Reads a whole file; false when it cannot be read.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& out);

// Writes to a temporary file in the same folder and renames it over the
// target, so a failed write (a full disk, say) leaves the old file as it was
// and no temporary file behind.
[[nodiscard]] bool WriteFileAtomic(const std::string& path, std::string_view content,
                                   platform::SysIo& io = platform::PosixSysIo());

// Lines joined with CR LF after each one.
[[nodiscard]] std::string JoinCrLf(const std::vector<std::string>& lines);

}  // namespace velmora::core
