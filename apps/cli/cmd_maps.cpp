#include "apps/cli/cmd_maps.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "apps/cli/command_words.h"
#include "apps/cli/map_text.h"
#include "apps/cli/session_command.h"
#include "core/text.h"
#include "session/request_codes.h"

namespace velmora::cli {

namespace {

namespace request = session::request;
using RequestEnd = HeadlessWorkstation::RequestEnd;

constexpr std::array<int, map_grid::kMaps> kMapRequests{request::kWriteBank1, request::kWriteBank2,
                                                        request::kWriteBank3};
constexpr std::chrono::seconds kWriteLimit{60};
constexpr std::string_view kToOption = "--to";
constexpr std::string_view kRpmOption = "--rpm";
constexpr std::string_view kTimeOption = "--time";

std::optional<int> Index(const std::string& text, std::size_t count) {
  const auto v = core::ParseInt32(text);
  if (!v || *v < 0 || static_cast<std::size_t>(*v) >= count) {
    return std::nullopt;
  }
  return *v;
}

struct MapSet {
  int map = 0;
  std::size_t row1 = 0, col1 = 0, row2 = 0, col2 = 0;  // normalised, inclusive
  std::uint8_t value = 0;
};

std::optional<MapSet> ParseMapSet(const std::vector<std::string>& words, std::string& error) {
  std::vector<std::string> numbers;
  std::vector<std::string> corner;
  for (std::size_t i = 2; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kToOption, &value)) {
      corner = {value};
      if (i + 1 < words.size()) {
        corner.push_back(words[++i]);
      }
    } else {
      numbers.push_back(words[i]);
    }
  }
  error =
      "map set needs N ROW COL VALUE [--to ROW2 COL2]: N 0..2, ROW 0..22, COL 0..23, "
      "VALUE 0..255";
  if (numbers.size() != 4 || (!corner.empty() && corner.size() != 2)) {
    return std::nullopt;
  }
  const auto map = Index(numbers[0], map_grid::kMaps);
  const auto row = Index(numbers[1], map_grid::kRows);
  const auto col = Index(numbers[2], map_grid::kColumns);
  const auto value = Index(numbers[3], map_grid::kMaxValue + 1);
  const auto row2 = corner.empty() ? row : Index(corner[0], map_grid::kRows);
  const auto col2 = corner.empty() ? col : Index(corner[1], map_grid::kColumns);
  if (!map || !row || !col || !value || !row2 || !col2) {
    return std::nullopt;
  }
  MapSet s;
  s.map = *map;
  s.row1 = static_cast<std::size_t>(std::min(*row, *row2));
  s.row2 = static_cast<std::size_t>(std::max(*row, *row2));
  s.col1 = static_cast<std::size_t>(std::min(*col, *col2));
  s.col2 = static_cast<std::size_t>(std::max(*col, *col2));
  s.value = static_cast<std::uint8_t>(*value);
  return s;
}

bool MapKnown(HeadlessWorkstation& ws, int map) {
  if (ws.Image().Map(map).size() == map_grid::kRows * map_grid::kColumns) {
    return true;
  }
  Err("the ECU has no map " + std::to_string(map));
  return false;
}

// Every cell of the rectangle holds `value` in `cells`.
bool Holds(const Bytes& cells, const MapSet& s) {
  for (std::size_t c = s.col1; c <= s.col2; ++c) {
    for (std::size_t r = s.row1; r <= s.row2; ++r) {
      if (cells[CellOffset(r, c)] != s.value) {
        return false;
      }
    }
  }
  return true;
}

int MapShow(const CliOptions& options, int map) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  if (!MapKnown(*ws, map)) {
    return Finish(*ws, false);
  }
  Out(MapGridText(map, ws->Image(), ws->Table()));
  return Finish(*ws, true);
}

int MapSetCells(const CliOptions& options, const MapSet& s) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  if (!MapKnown(*ws, s.map)) {
    return Finish(*ws, false);
  }
  // As the grid page does: the cells into the image, then the map's request.
  Bytes& cells = ws->Image().Map(s.map);
  for (std::size_t c = s.col1; c <= s.col2; ++c) {
    for (std::size_t r = s.row1; r <= s.row2; ++r) {
      cells[CellOffset(r, c)] = s.value;
    }
  }
  const RequestEnd end =
      ws->RunRequest(kMapRequests[static_cast<std::size_t>(s.map)], {}, kWriteLimit);
  if (end != RequestEnd::kSucceeded) {
    if (end == RequestEnd::kFailed) {
      Err("writing map " + std::to_string(s.map) + " failed");
    }
    return Finish(*ws, false);
  }
  // The image now holds the map as read back from the ECU.
  Out(MapGridText(s.map, ws->Image(), ws->Table()));
  const bool held = Holds(ws->Image().Map(s.map), s);
  if (!held) {
    Err("the ECU does not hold the value written");
  }
  return Finish(*ws, held);
}

struct AxesSet {
  std::optional<std::vector<std::uint8_t>> rpm;
  std::optional<std::vector<std::uint8_t>> time;
};

std::optional<AxesSet> ParseAxesSet(const std::vector<std::string>& words, std::string& error) {
  AxesSet a;
  error = "axes set needs --rpm with 24 and/or --time with 23 comma-separated bytes 0..255";
  for (std::size_t i = 2; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kRpmOption, &value)) {
      a.rpm = ParseByteList(value, map_grid::kColumns);
      if (!a.rpm) {
        return std::nullopt;
      }
    } else if (TakeCommandValue(words, i, kTimeOption, &value)) {
      a.time = ParseByteList(value, map_grid::kRows);
      if (!a.time) {
        return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  if (!a.rpm && !a.time) {
    return std::nullopt;
  }
  return a;
}

// The breakpoints to write: the given ones, the image's for the other axis.
std::optional<calib::AxisBreakpoints> Breakpoints(const AxesSet& a,
                                                  const calib::CalibrationImage& image) {
  const Bytes rpm = a.rpm ? Bytes(a.rpm->begin(), a.rpm->end()) : image.rpm_vector;
  const Bytes time = a.time ? Bytes(a.time->begin(), a.time->end()) : image.time_vector;
  calib::AxisBreakpoints points;
  if (rpm.size() != points.rpm.size() || time.size() != points.time.size()) {
    return std::nullopt;
  }
  std::copy(rpm.begin(), rpm.end(), points.rpm.begin());
  std::copy(time.begin(), time.end(), points.time.begin());
  return points;
}

std::string FailureText(calib::AxisFailure failure) {
  return "the breakpoints do not make lookup tables (failure " +
         std::to_string(static_cast<int>(failure)) +
         "): each axis starts at 0 and rises, rpm below 128, injection time below 180";
}

int AxesSetTables(const CliOptions& options, const AxesSet& a) {
  auto ws = ConnectedWorkstation(options);
  if (!ws) {
    return exit_code::kFailed;
  }
  const auto points = Breakpoints(a, ws->Image());
  if (!points) {
    Err("the ECU's lookup tables give no breakpoints: give both --rpm and --time");
    return Finish(*ws, false);
  }
  calib::AxisTables tables;
  if (const auto failure = calib::VectorsToTables(*points, &tables);
      failure != calib::AxisFailure::kNone) {
    Err(FailureText(failure));
    return Finish(*ws, false);
  }
  ws->Image().rpm_axis = tables.rpm;
  ws->Image().time_axis = tables.time;
  const int reads = ws->Host().CalibrationReads();
  const RequestEnd end = ws->RunRequest(request::kAxes, {}, kWriteLimit);
  if (end == RequestEnd::kFailed) {
    Err("writing the axis tables failed");
  }
  // Either way the session connects and reads everything again.
  if (end == RequestEnd::kNotRun ||
      !ws->WaitConnected(SteadyClock::now() + std::chrono::seconds(options.search_seconds))) {
    return Finish(*ws, false);
  }
  if (ws->Host().CalibrationReads() == reads) {
    Err("the ECU was not read again");
    return Finish(*ws, false);
  }
  Out(AxesText(ws->Image()));
  const bool held = ws->Image().rpm_vector == Bytes(points->rpm.begin(), points->rpm.end()) &&
                    ws->Image().time_vector == Bytes(points->time.begin(), points->time.end());
  if (end == RequestEnd::kSucceeded && !held) {
    Err("the ECU does not hold the breakpoints written");
  }
  return Finish(*ws, end == RequestEnd::kSucceeded && held);
}

}  // namespace

int RunMap(const CliOptions& options) {
  const auto& words = options.command;
  if (words.size() == 3 && words[1] == "show") {
    const auto map = Index(words[2], map_grid::kMaps);
    if (map) {
      return MapShow(options, *map);
    }
  } else if (words.size() >= 2 && words[1] == "set") {
    std::string error;
    if (const auto set = ParseMapSet(words, error)) {
      return MapSetCells(options, *set);
    }
    Err(error);
    return exit_code::kUsage;
  }
  Err(UsageText());
  return exit_code::kUsage;
}

int RunAxes(const CliOptions& options) {
  const auto& words = options.command;
  if (words.size() == 2 && words[1] == "show") {
    auto ws = ConnectedWorkstation(options);
    if (!ws) {
      return exit_code::kFailed;
    }
    Out(AxesText(ws->Image()));
    return Finish(*ws, ws->Image().rpm_vector.size() == map_grid::kColumns);
  }
  if (words.size() >= 2 && words[1] == "set") {
    std::string error;
    const auto set = ParseAxesSet(words, error);
    if (!set) {
      Err(error);
      return exit_code::kUsage;
    }
    // Both given: checked before anything starts.
    if (set->rpm && set->time) {
      calib::AxisTables unused;
      const auto points = Breakpoints(*set, calib::CalibrationImage{});
      if (const auto failure = calib::VectorsToTables(*points, &unused);
          failure != calib::AxisFailure::kNone) {
        Err(FailureText(failure));
        return exit_code::kUsage;
      }
    }
    return AxesSetTables(options, *set);
  }
  Err(UsageText());
  return exit_code::kUsage;
}

}  // namespace velmora::cli
