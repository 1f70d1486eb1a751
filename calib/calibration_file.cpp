#include "calib/calibration_file.h"

#include <cstdio>
#include <ctime>

#include "calib/calibration_frames.h"
#include "core/hex.h"
#include "core/text.h"

namespace velmora::calib {

namespace {

constexpr char kSectionStart = '[';
constexpr std::string_view kCrLf = "\r\n";

// The value line of a key as the readers see it.
enum class ValueKind { kEmpty, kFrame, kBad };

struct Value {
  ValueKind kind = ValueKind::kEmpty;
  Bytes frame;
};

Value ReadValue(Section section, std::string_view line) {
  const std::string_view text = core::Trim(line);
  if (text.empty()) {
    return {};
  }
  auto bytes = core::HexToBin(text);
  // An odd number of digits is a cut line, not a frame with a leading zero.
  if (!bytes || text.size() % 2 != 0 || !SectionFrameValid(section, *bytes)) {
    return {ValueKind::kBad, {}};
  }
  return {ValueKind::kFrame, std::move(*bytes)};
}

// The note's lines, whatever line breaks it was given with. A line that
// begins with "[" would end the note for its readers, and one that equals a
// section key would swallow the next line as that section's value and make
// the file unloadable: such lines are written with a leading blank.
std::vector<std::string> NoteLines(std::string_view note) {
  std::vector<std::string> out;
  std::string current;
  const auto end_line = [&out, &current] {
    if (!current.empty() && current.front() == kSectionStart) {
      current.insert(current.begin(), ' ');
    }
    out.push_back(std::move(current));
    current.clear();
  };
  for (std::size_t i = 0; i < note.size(); ++i) {
    const char c = note[i];
    if (c == '\r' || c == '\n') {
      end_line();
      if (c == '\r' && i + 1 < note.size() && note[i + 1] == '\n') {
        ++i;
      }
      continue;
    }
    current += c;
  }
  end_line();
  return out;
}

bool WrittenToFile(Section s, bool adaptive_maps) {
  const Holder h = InfoOf(s).holder;
  return adaptive_maps || (h != Holder::kAdaptiveMap && h != Holder::kSecondMap);
}

}  // namespace

std::string ReadNote(const std::vector<std::string>& lines) {
  std::string note;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != file_text::kNote) {
      continue;
    }
    bool first = true;
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (!lines[j].empty() && lines[j].front() == kSectionStart) {
        break;
      }
      if (!first) {
        note += kCrLf;
      }
      note += lines[j];
      first = false;
    }
    break;
  }
  return note;
}

ParsedCalibration ParseCalibration(const std::vector<std::string>& lines, Duplicates rule) {
  ParsedCalibration out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto section = SectionOfKey(lines[i]);
    if (!section) {
      continue;
    }
    if (i + 1 >= lines.size()) {
      break;
    }
    ++i;  // the value line is consumed whatever it holds
    Value value = ReadValue(*section, lines[i]);
    if (value.kind == ValueKind::kEmpty) {
      continue;
    }
    SectionState& state = out.state[Index(*section)];
    if (rule == Duplicates::kFirstWins && state != SectionState::kAbsent) {
      continue;
    }
    if (value.kind == ValueKind::kBad) {
      state = SectionState::kDamaged;
      out.frames[*section].clear();
    } else {
      state = SectionState::kPresent;
      out.frames[*section] = std::move(value.frame);
    }
  }
  out.note = ReadNote(lines);
  return out;
}

std::optional<std::string> FindSectionLine(const std::vector<std::string>& lines,
                                           std::string_view key) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == key) {
      return lines[i + 1];
    }
  }
  return std::nullopt;
}

CalendarDate SystemDateProvider::Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) == nullptr) {
    return CalendarDate{};
  }
  return CalendarDate{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

std::string ShortDate(const CalendarDate& date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", date.day, date.month, date.year);
  return buf;
}

std::string InfoLine(std::string_view title, std::string_view version, const CalendarDate& date) {
  std::string line(title);
  line += version;
  line += file_text::kCreated;
  line += ShortDate(date);
  return line;
}

std::string ComposeCalibrationText(const FileHeader& header, const CalibrationFrames& frames,
                                   bool adaptive_maps) {
  std::string text;
  const auto line = [&text](std::string_view l) {
    text += l;
    text += kCrLf;
  };
  line(file_text::kInfo);
  line(header.info_line);
  line(file_text::kNote);
  for (const std::string& l : NoteLines(header.note)) {
    line(l);
  }
  for (const SectionInfo& info : kSections) {
    if (!WrittenToFile(info.id, adaptive_maps)) {
      continue;
    }
    line(info.key);
    line(core::BinToHex(frames[info.id]));
  }
  return text;
}

bool IsCurrentFile(std::string_view path) {
  const std::size_t n = file_text::kExtension.size();
  return path.size() >= n &&
         core::EqualsNoCase(path.substr(path.size() - n), file_text::kExtension);
}

}  // namespace velmora::calib
