#include "pages/file_menu_model.h"

#include <algorithm>

#include "core/files.h"
#include "core/text.h"
#include "core/text_block.h"
#include "pages/archive_texts.h"
#include "pages/shell_texts.h"

namespace velmora::pages {

namespace {
namespace at = archive_text;
namespace mt = misc_text;
}  // namespace

FileMenuTexts FileMenuTextsFrom(const core::ClsLingue& lingue) {
  FileMenuTexts t;
  const core::TextBlock archive(lingue, at::kMarker);
  archive.Take(at::kMenuOpen, t.open);
  archive.Take(at::kMenuSaveAs, t.save_as);
  archive.Take(at::kMenuArchiveOpen, t.archive_open);
  archive.Take(at::kMenuArchiveSave, t.archive_save);
  archive.Take(at::kMenuExport, t.export_dump);
  archive.Take(at::kMenuRecent, t.recent);
  archive.Take(at::kMenuNoRecent, t.no_recent);
  archive.Take(at::kScopeCaption, t.scope_caption);
  for (std::size_t i = 0; i < t.scopes.size(); ++i) {
    archive.Take(at::kScopeAll + static_cast<int>(i), t.scopes[i]);
  }
  archive.Take(at::kLoading, t.loading);
  archive.Take(at::kSaving, t.saving);
  archive.Take(at::kNotCalibration, t.not_calibration);
  archive.Take(at::kMissingFile, t.missing_file);
  const core::TextBlock misc(lingue, mt::kMarker);
  misc.Take(mt::kCalibrationFiles, t.calibration_files);
  misc.Take(mt::kTextFiles, t.text_files);
  misc.Take(mt::kAllFiles, t.all_files);
  core::TextBlock(lingue, main_text::kMarker).Take(main_text::kBusy, t.busy);
  return t;
}

bool IsCalibrationFile(std::string_view path) {
  return std::any_of(kCalibrationExtensions.begin(), kCalibrationExtensions.end(),
                     [path](std::string_view ext) {
                       return path.size() > ext.size() &&
                              core::EqualsNoCase(path.substr(path.size() - ext.size()), ext);
                     });
}

bool FileMenuModel::EcuConnected() const {
  return document_.Env().session.Connected();
}

void FileMenuModel::Say(const std::string& text, platform::BoxKind kind) {
  PageEnv& env = document_.Env();
  env.box.Show(text, env.main_title, kind);
}

void FileMenuModel::Started(CalibrationDocument::Started s) {
  if (s == CalibrationDocument::Started::kBusy) {
    Say(texts_.busy, platform::BoxKind::Exclamation);
  }
}

void FileMenuModel::Open(const std::string& path, std::size_t scope_index) {
  if (!core::EsisteFile(path)) {
    Say(texts_.missing_file, platform::BoxKind::Exclamation);
    return;
  }
  const int scope = EcuConnected() && scope_index < kLoadScopes.size() ? kLoadScopes[scope_index]
                                                                       : session::request::kLoadAll;
  Started(document_.Open(path, scope));
}

void FileMenuModel::SaveAs(const std::string& path) {
  Started(document_.Save(path));
}

void FileMenuModel::OpenRecent(std::size_t index, std::size_t scope_index) {
  const auto& paths = document_.Recent().Paths();
  if (index >= paths.size()) {
    return;
  }
  const std::string path = paths[index];
  if (!core::EsisteFile(path)) {
    (void)document_.Recent().Remove(path);
    Say(texts_.missing_file, platform::BoxKind::Exclamation);
    return;
  }
  Open(path, scope_index);
}

std::optional<std::string> FileMenuModel::DroppedCalibration(
    const std::vector<std::string>& paths) const {
  for (const std::string& p : paths) {
    if (IsCalibrationFile(p)) {
      return p;
    }
  }
  return std::nullopt;
}

std::optional<std::string> FileMenuModel::Progress() const {
  const CalibrationDocument& d = document_;
  if (!d.Waiting() || !EcuConnected()) {
    return std::nullopt;
  }
  return d.WaitingCode() == session::request::kSaveFromEcu ? texts_.saving : texts_.loading;
}

}  // namespace velmora::pages
