#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::calib {

// Shape of a coefficient file: two straight-line tables and two per-cell
// grids laid out like a map image (24 rpm rows of 23 cells).
namespace coe {
inline constexpr std::size_t kLineEntries = 9;
inline constexpr std::size_t kRows = 24;
inline constexpr std::size_t kColumns = 23;
inline constexpr std::size_t kCells = kRows * kColumns;
inline constexpr char kListSep = ',';
inline constexpr const char* kExtension = ".coe";
inline constexpr const char* kNote = "[note]";
inline constexpr const char* kId = "[id]";
inline constexpr const char* kDivFact = "[div_fact]";
inline constexpr const char* kMRetta = "[m_retta]";
inline constexpr const char* kQRetta = "[q_retta]";
inline constexpr const char* kMMappa = "[m_mappa]";
inline constexpr const char* kQMappa = "[q_mappa]";
// A file is accepted only when this many different keys were met.
inline constexpr int kKeyCount = 7;
}  // namespace coe

struct CoefficientRecord {
  std::string path;  // the file it was read from; empty when parsed from lines
  std::string note;
  std::int32_t id = 0;
  std::int32_t div_fact = 0;
  std::array<std::int32_t, coe::kLineEntries> m_retta{};
  std::array<std::int32_t, coe::kLineEntries> q_retta{};
  // Cell (row r, column c) at r * kColumns + c.
  std::array<std::int32_t, coe::kCells> m_mappa{};
  std::array<std::int32_t, coe::kCells> q_mappa{};
};

struct CoefficientList {
  bool found = false;  // at least one file was accepted
  std::vector<CoefficientRecord> records;
};

// Parses the CR LF lines of a coefficient file, keys in any order. Accepted
// only when each of the seven keys was met; a key met twice counts once (its
// later values win), so it never makes up for a missing one. Values missing
// from a short line or a short grid stay 0; a value that is not an integer
// reads as 0.
[[nodiscard]] std::optional<CoefficientRecord> ParseCoefficientLines(
    const std::vector<std::string>& lines);

// Reads and parses one file; nullopt when it cannot be read or is refused.
[[nodiscard]] std::optional<CoefficientRecord> ReadCoefficientFile(const std::string& path);

// True for a file name ending in ".coe" in any letter case.
[[nodiscard]] bool IsCoefficientFileName(const std::string& name);

// Every accepted coefficient file of the folder, in file-name order. Refused
// and unreadable files are skipped without a message; a missing folder gives
// an empty list.
[[nodiscard]] CoefficientList ListCoefficientFiles(const std::string& folder);

}  // namespace velmora::calib
