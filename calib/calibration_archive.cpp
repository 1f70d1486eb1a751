#include "calib/calibration_archive.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "calib/calibration_file.h"
#include "core/files.h"
#include "core/text.h"

namespace velmora::calib {

namespace {

namespace fs = std::filesystem;

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

bool IsControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < kFirstPrintable || u == kDelete;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         core::EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

// The name without folders and without its last extension.
std::string_view Stem(std::string_view file_name) {
  const std::size_t slash = file_name.find_last_of("/\\");
  if (slash != std::string_view::npos) {
    file_name.remove_prefix(slash + 1);
  }
  const std::size_t dot = file_name.rfind('.');
  return dot == std::string_view::npos ? file_name : file_name.substr(0, dot);
}

}  // namespace

std::string ArchiveFileName(const ArchiveName& name) {
  const std::string sep(1, archive::kSeparator);
  const std::string whole =
      name.manufacturer + sep + name.model + sep + name.cylinders + sep + name.identifier;
  return std::string(core::Trim(whole)) + std::string(archive::kExtension);
}

ArchiveName SplitArchiveName(std::string_view file_name) {
  const std::vector<std::string> parts = core::Split(Stem(file_name), archive::kSeparator);
  std::array<std::string, archive::kFields> fields;
  for (std::size_t i = 0; i < fields.size() && i < parts.size(); ++i) {
    fields[i] = parts[i];
  }
  return {fields[0], fields[1], fields[2], fields[3]};
}

NameFault CheckNameField(std::string_view field) {
  if (core::Trim(field).empty()) {
    return NameFault::kEmpty;
  }
  const bool refused = std::any_of(field.begin(), field.end(), [](char c) {
    return IsControl(c) || archive::kRefusedCharacters.find(c) != std::string_view::npos;
  });
  if (refused || field.find(archive::kParentFolder) != std::string_view::npos) {
    return NameFault::kForbidden;
  }
  return NameFault::kNone;
}

NameFault CheckArchiveName(const ArchiveName& name) {
  for (const std::string* f :
       {&name.manufacturer, &name.model, &name.cylinders, &name.identifier}) {
    if (const NameFault fault = CheckNameField(*f); fault != NameFault::kNone) {
      return fault;
    }
  }
  return NameFault::kNone;
}

std::vector<std::string> ListArchive(const std::string& data_dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(data_dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (EndsWithNoCase(name, archive::kExtension) && it->is_regular_file(ec)) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsArchiveFile(const std::string& data_dir, std::string_view file_name) {
  if (file_name.empty() || file_name == "." || file_name == archive::kParentFolder ||
      file_name.find_first_of("/\\") != std::string_view::npos ||
      std::any_of(file_name.begin(), file_name.end(), IsControl)) {
    return false;
  }
  std::error_code ec;
  // The link itself, not what it points to: a link could lead outside.
  const fs::file_status status = fs::symlink_status(fs::path(data_dir) / file_name, ec);
  return !ec && fs::is_regular_file(status);
}

bool DeleteArchiveFile(const std::string& data_dir, std::string_view file_name) {
  if (!IsArchiveFile(data_dir, file_name)) {
    return false;
  }
  std::error_code ec;
  return fs::remove(fs::path(data_dir) / file_name, ec) && !ec;
}

std::vector<std::string> ReadManufacturers(const std::string& path) {
  std::vector<std::string> lines;
  std::vector<std::string> out;
  if (!core::LeggiRighe(path, lines)) {
    return out;
  }
  for (const std::string& line : lines) {
    if (!core::Trim(line).empty()) {
      out.push_back(core::ToUpper(line));
    }
  }
  return out;
}

std::string ReadNoteOfFile(const std::string& path) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(path, lines)) {
    return {};
  }
  return ReadNote(lines);
}

}  // namespace velmora::calib
