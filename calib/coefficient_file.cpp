#include "calib/coefficient_file.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "calib/int_list.h"
#include "core/files.h"
#include "core/key_file.h"
#include "core/text.h"

namespace velmora::calib {

namespace {

template <std::size_t N>
void FillLine(std::array<std::int32_t, N>& table, const std::vector<std::string>& values) {
  table.fill(0);
  if (values.empty()) {
    return;
  }
  const auto items = ParseIntList(values.front(), coe::kListSep, N);
  std::copy(items.begin(), items.end(), table.begin());
}

// Value line c holds column c, row 0 first.
void FillGrid(std::array<std::int32_t, coe::kCells>& grid, const std::vector<std::string>& values) {
  grid.fill(0);
  for (std::size_t c = 0; c < values.size() && c < coe::kColumns; ++c) {
    const auto items = ParseIntList(values[c], coe::kListSep, coe::kRows);
    for (std::size_t r = 0; r < items.size(); ++r) {
      grid[r * coe::kColumns + c] = items[r];
    }
  }
}

bool LessByName(const std::filesystem::path& a, const std::filesystem::path& b) {
  const std::string na = a.filename().string();
  const std::string nb = b.filename().string();
  const std::string ua = core::ToUpper(na);
  const std::string ub = core::ToUpper(nb);
  return ua != ub ? ua < ub : na < nb;
}

}  // namespace

std::optional<CoefficientRecord> ParseCoefficientLines(const std::vector<std::string>& lines) {
  CoefficientRecord rec;
  // One bit per key: a repeated key counts once, so it can never stand in
  // for a missing one.
  unsigned found = 0;
  core::KeyFileCursor cur(lines);
  while (!cur.Done()) {
    const std::string_view line = cur.Line();
    unsigned bit = 0;
    if (line == coe::kNote) {
      bit = 1U << 0;
      const auto v = cur.TakeKey(1);
      rec.note = v.empty() ? std::string() : std::string(core::Trim(v.front()));
    } else if (line == coe::kId || line == coe::kDivFact) {
      bit = line == coe::kId ? 1U << 1 : 1U << 2;
      std::int32_t& slot = line == coe::kId ? rec.id : rec.div_fact;
      const auto v = cur.TakeKey(1);
      slot = v.empty() ? 0 : core::ParseInt32(v.front()).value_or(0);
    } else if (line == coe::kMRetta || line == coe::kQRetta) {
      bit = line == coe::kMRetta ? 1U << 3 : 1U << 4;
      auto& table = line == coe::kMRetta ? rec.m_retta : rec.q_retta;
      FillLine(table, cur.TakeKey(1));
    } else if (line == coe::kMMappa || line == coe::kQMappa) {
      bit = line == coe::kMMappa ? 1U << 5 : 1U << 6;
      auto& grid = line == coe::kMMappa ? rec.m_mappa : rec.q_mappa;
      FillGrid(grid, cur.TakeKey(coe::kColumns));
    } else {
      cur.Next();
      continue;
    }
    found |= bit;
  }
  if (std::popcount(found) != coe::kKeyCount) {
    return std::nullopt;
  }
  return rec;
}

std::optional<CoefficientRecord> ReadCoefficientFile(const std::string& path) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(path, lines)) {
    return std::nullopt;
  }
  auto rec = ParseCoefficientLines(lines);
  if (rec) {
    rec->path = path;
  }
  return rec;
}

bool IsCoefficientFileName(const std::string& name) {
  const std::string_view ext = coe::kExtension;
  return name.size() >= ext.size() &&
         core::EqualsNoCase(std::string_view(name).substr(name.size() - ext.size()), ext);
}

CoefficientList ListCoefficientFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  const fs::directory_iterator end;
  while (!ec && it != end) {
    std::error_code type_ec;
    if (IsCoefficientFileName(it->path().filename().string()) && it->is_regular_file(type_ec)) {
      files.push_back(it->path());
    }
    it.increment(ec);
  }
  // The listing order of a folder depends on the file system; name order
  // gives every machine the same list.
  std::sort(files.begin(), files.end(), LessByName);

  CoefficientList list;
  for (const auto& f : files) {
    if (auto rec = ReadCoefficientFile(f.string())) {
      list.records.push_back(std::move(*rec));
    }
  }
  list.found = !list.records.empty();
  return list;
}

}  // namespace velmora::calib
