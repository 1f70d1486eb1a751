#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::calib {

// The vehicle archive: one calibration file per vehicle in the data folder,
// named manufacturer_model_cylinders_identifier.qvd.
namespace archive {
inline constexpr std::string_view kExtension = ".qvd";
inline constexpr char kSeparator = '_';
inline constexpr std::size_t kFields = 4;
// Characters no name field may hold: folder separators, the archive's own
// field separator (the name could not be split back into its fields), and
// what the file systems the archive travels to refuse.
inline constexpr std::string_view kRefusedCharacters = "/\\_<>:\"|?*";
inline constexpr std::string_view kParentFolder = "..";
}  // namespace archive

// The four name fields of an archive file.
struct ArchiveName {
  std::string manufacturer;
  std::string model;
  std::string cylinders;
  std::string identifier;
  friend bool operator==(const ArchiveName&, const ArchiveName&) = default;
};

// The file name (with the extension) of the four fields; the name without
// the extension has its leading and trailing blanks removed.
[[nodiscard]] std::string ArchiveFileName(const ArchiveName& name);

// The fields of a file name (folders and extension are dropped): its parts
// between "_", the first four of them; missing parts stay empty.
[[nodiscard]] ArchiveName SplitArchiveName(std::string_view file_name);

// Why a name field cannot be part of a file name.
enum class NameFault {
  kNone,
  kEmpty,      // blank
  kForbidden,  // a separator, "..", a control character or a refused character
};
[[nodiscard]] NameFault CheckNameField(std::string_view field);
// The first fault of the four fields, kNone when every field is usable.
[[nodiscard]] NameFault CheckArchiveName(const ArchiveName& name);

// The archive files of `data_dir`: regular files whose name ends in ".qvd"
// (any case), by name. Empty when the folder cannot be read.
[[nodiscard]] std::vector<std::string> ListArchive(const std::string& data_dir);

// Whether `file_name` is a plain name (no folder part) of a regular file,
// not a link, directly inside `data_dir`: the only thing the archive deletes.
[[nodiscard]] bool IsArchiveFile(const std::string& data_dir, std::string_view file_name);

// Deletes an archive file of `data_dir`; false, with nothing removed, for
// anything IsArchiveFile refuses or a file that could not be removed.
[[nodiscard]] bool DeleteArchiveFile(const std::string& data_dir, std::string_view file_name);

// The manufacturer list: every non-empty line of the file in upper case.
// Empty when the file is missing or unreadable.
[[nodiscard]] std::vector<std::string> ReadManufacturers(const std::string& path);

// The note of a calibration file: the lines after "[NOTE]" up to, not
// including, the next line that begins with "[" or the end, CR LF joined.
// Empty when the file has no note or cannot be read.
[[nodiscard]] std::string ReadNoteOfFile(const std::string& path);

}  // namespace velmora::calib
