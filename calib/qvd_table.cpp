#include "calib/qvd_table.h"

#include <string_view>

#include "calib/int_list.h"
#include "core/key_file.h"
#include "core/text.h"

namespace velmora::calib {

namespace {

QvdPair ParsePair(std::string_view line) {
  const auto v = ParseIntList(line, qvd::kSep, 2);
  return {v.size() > 0 ? v[0] : 0, v.size() > 1 ? v[1] : 0};
}

// Blank and comment lines inside the open list carry no pair.
bool CarriesNoPair(std::string_view line) {
  line = core::Trim(line);
  return line.empty() || line.front() == ';';
}

}  // namespace

QvdTable ReadQvdTable(const std::vector<std::string>& lines) {
  QvdTable t;
  std::size_t i = 0;
  while (i < lines.size() && lines[i] != qvd::kStart) {
    ++i;
  }
  if (i == lines.size()) {
    return t;
  }
  t.present = true;
  ++i;
  bool after_map = false;
  while (i < lines.size()) {
    const std::string& line = lines[i];
    if (line == qvd::kRpm) {
      ++i;
      if (i < lines.size() && !core::IsBracketKey(lines[i])) {
        t.rpm = ParseIntList(lines[i], qvd::kSep, qvd::kMaxBreakpoints);
        ++i;
      }
      continue;
    }
    if (line == qvd::kMap) {
      ++i;
      t.map.clear();
      t.extra.clear();
      while (t.map.size() < qvd::kMaxMapLines && i < lines.size() &&
             !core::IsBracketKey(lines[i])) {
        t.map.push_back(ParsePair(lines[i]));
        ++i;
      }
      after_map = true;
      continue;
    }
    if (core::IsBracketKey(line)) {
      break;  // the end line, or a key past a lost end line
    }
    if (after_map && !CarriesNoPair(line)) {
      t.extra.push_back(ParsePair(line));
    }
    ++i;
  }
  return t;
}

}  // namespace velmora::calib
