#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_sections.h"
#include "core/bytes.h"

namespace velmora::calib {

// Fixed lines of a calibration file.
namespace file_text {
inline constexpr std::string_view kInfo = "[INFO]";
inline constexpr std::string_view kNote = "[NOTE]";
inline constexpr std::string_view kCreated = " , file created ";
inline constexpr std::string_view kExtension = ".xsi";
}  // namespace file_text

// Stored frames by section; an empty frame is an absent section.
struct CalibrationFrames {
  std::array<Bytes, kSectionCount> frames;
  [[nodiscard]] Bytes& operator[](Section s) { return frames[Index(s)]; }
  [[nodiscard]] const Bytes& operator[](Section s) const { return frames[Index(s)]; }
  friend bool operator==(const CalibrationFrames&, const CalibrationFrames&) = default;
};

enum class SectionState : std::uint8_t {
  kAbsent,   // no key, or a key whose value line is empty or missing
  kPresent,  // a valid frame
  kDamaged,  // not hexadecimal, not a well-formed frame, or the wrong size
};

// What the readers take from a file.
struct ParsedCalibration {
  CalibrationFrames frames;  // valid sections only
  std::array<SectionState, kSectionCount> state{};
  std::string note;  // the lines after "[NOTE]" up to the next "[" line, CR LF joined

  [[nodiscard]] bool Present(Section s) const { return state[Index(s)] == SectionState::kPresent; }
  [[nodiscard]] bool Damaged(Section s) const { return state[Index(s)] == SectionState::kDamaged; }
};

// Which value a key that occurs twice keeps: the whole-file readers (load,
// open) keep the later one, the single-section lookups the first one. A key
// with an empty value line is not an occurrence at all.
enum class Duplicates { kLaterWins, kFirstWins };

// Scans the lines from the top: a line that equals a section key takes the next line as its value,
// and the scan goes on after that value. Other lines are skipped. Never fails: bad values are
// marked damaged.
[[nodiscard]] ParsedCalibration ParseCalibration(const std::vector<std::string>& lines,
                                                 Duplicates rule);

// The note: the lines after "[NOTE]" up to, not including, the next line
// that begins with "[" or the end, CR LF joined; empty without "[NOTE]".
[[nodiscard]] std::string ReadNote(const std::vector<std::string>& lines);

// The value line of the first occurrence of `key` (bracket-key lookup), or
// nullopt when the key is missing or is the last line.
[[nodiscard]] std::optional<std::string> FindSectionLine(const std::vector<std::string>& lines,
                                                         std::string_view key);

// A calendar day, for the information line.
struct CalendarDate {
  int day = 1;
  int month = 1;
  int year = 2000;
};

// Today's date; tests give a fixed one.
class DateProvider {
 public:
  virtual ~DateProvider() = default;
  [[nodiscard]] virtual CalendarDate Today() = 0;
};

// The local calendar date of the system clock.
class SystemDateProvider final : public DateProvider {
 public:
  [[nodiscard]] CalendarDate Today() override;
};

// dd/mm/yyyy
[[nodiscard]] std::string ShortDate(const CalendarDate& date);

// Title, version text, " , file created ", the short date.
[[nodiscard]] std::string InfoLine(std::string_view title, std::string_view version,
                                   const CalendarDate& date);

struct FileHeader {
  std::string info_line;
  std::string note;  // may hold line breaks (CR LF, LF or CR)
};

// The whole file text: "[INFO]", the information line, "[NOTE]", the note
// (one empty line when there is none), then every section in table order as
// its key and its frame in upper-case hexadecimal (an empty line for an empty
// frame). The adaptive and second map sections are written only when
// `adaptive_maps` is set. Every line ends in CR LF.
[[nodiscard]] std::string ComposeCalibrationText(const FileHeader& header,
                                                 const CalibrationFrames& frames,
                                                 bool adaptive_maps);

// A file name that ends in ".xsi" (any case) is a current file; anything else
// is a foreign one.
[[nodiscard]] bool IsCurrentFile(std::string_view path);

}  // namespace velmora::calib
