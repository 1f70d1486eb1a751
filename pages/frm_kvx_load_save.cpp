#include "pages/frm_kvx_load_save.h"

#include "core/files.h"
#include "core/text.h"
#include "core/text_block.h"
#include "pages/archive_texts.h"
#include "pages/shell_texts.h"

namespace velmora::pages {

namespace {

namespace at = archive_text;
namespace mt = misc_text;
namespace st = sel_alim_text;

constexpr std::string_view kQuestionMark = "?";

struct Take {
  int index;
  std::string ArchiveTexts::*text;
};
// The archive block's texts, by number.
constexpr Take kArchiveTexts[] = {
    {at::kCaption, &ArchiveTexts::caption},
    {at::kOpen, &ArchiveTexts::open},
    {at::kSave, &ArchiveTexts::save},
    {at::kCancel, &ArchiveTexts::cancel},
    {at::kBrowse, &ArchiveTexts::browse},
    {at::kManufacturer, &ArchiveTexts::manufacturer},
    {at::kModel, &ArchiveTexts::model},
    {at::kCylinders, &ArchiveTexts::cylinders},
    {at::kIdentifier, &ArchiveTexts::identifier},
    {at::kNote, &ArchiveTexts::note},
    {at::kFiles, &ArchiveTexts::files},
    {at::kFilter, &ArchiveTexts::filter},
    {at::kDelete, &ArchiveTexts::delete_file},
    {at::kExport, &ArchiveTexts::export_dump},
    {at::kOpenMode, &ArchiveTexts::open_mode},
    {at::kSaveMode, &ArchiveTexts::save_mode},
    {at::kOverwrite, &ArchiveTexts::overwrite},
    {at::kDeleteQuestion, &ArchiveTexts::delete_question},
    {at::kSelectFile, &ArchiveTexts::select_file},
    {at::kFillName, &ArchiveTexts::fill_name},
    {at::kMissingFile, &ArchiveTexts::missing_file},
    {at::kBadName, &ArchiveTexts::bad_name},
    {at::kDeleteFailed, &ArchiveTexts::delete_failed},
    {at::kAllManufacturers, &ArchiveTexts::all_manufacturers},
};

}  // namespace

ArchiveTexts ArchiveTextsFrom(const core::ClsLingue& lingue) {
  ArchiveTexts t;
  const core::TextBlock archive(lingue, at::kMarker);
  for (const Take& take : kArchiveTexts) {
    archive.Take(take.index, t.*take.text);
  }
  core::TextBlock(lingue, mt::kMarker).Take(mt::kRestoreReference, t.restore);
  const core::TextBlock sel_alim(lingue, st::kMarker);
  sel_alim.Take(st::kReferences, t.references);
  sel_alim.Take(st::kNoReference, t.no_reference);
  sel_alim.Take(st::kLoadQuestion, t.reference_question);
  core::TextBlock(lingue, main_text::kMarker).Take(main_text::kBusy, t.busy);
  return t;
}

FrmKvxLoadSave::FrmKvxLoadSave(CalibrationDocument& document) : document_(document) {
  CaricaLingua();
}

void FrmKvxLoadSave::CaricaLingua() {
  texts_ = ArchiveTextsFrom(document_.Env().lingue);
}

const std::string& FrmKvxLoadSave::DataDir() const {
  return document_.Env().paths.data_dir;
}

void FrmKvxLoadSave::Say(const std::string& text, platform::BoxKind kind) const {
  document_.Env().box.Show(text, texts_.caption, kind);
}

bool FrmKvxLoadSave::Ask(const std::string& text) const {
  return document_.Env().box.Ask(text, texts_.caption);
}

void FrmKvxLoadSave::Open(int mode) {
  const PageEnv& env = document_.Env();
  CaricaLingua();
  mode_ = mode == archive_mode::kSave ? archive_mode::kSave : archive_mode::kOpen;
  manufacturers_ = calib::ReadManufacturers(env.paths.manufacturers);
  filter_ = 0;
  ListFiles();
  references_ = calib::ListReferenceCalibrations(env.table, env.paths.lng);
  reference_ = references_.empty() ? -1 : 0;
  name_ =
      document_.Path().empty() ? calib::ArchiveName{} : calib::SplitArchiveName(document_.Path());
  note_ = env.image.note;
}

std::vector<std::string> FrmKvxLoadSave::FilterItems() const {
  std::vector<std::string> items{texts_.all_manufacturers};
  items.insert(items.end(), manufacturers_.begin(), manufacturers_.end());
  return items;
}

std::vector<std::string> FrmKvxLoadSave::References() const {
  std::vector<std::string> names;
  for (const auto& r : references_) {
    names.push_back(r.name);
  }
  return names;
}

void FrmKvxLoadSave::ListFiles() {
  files_.clear();
  selected_ = -1;
  const bool all = filter_ <= 0 || static_cast<std::size_t>(filter_) > manufacturers_.size();
  for (std::string& name : calib::ListArchive(DataDir())) {
    if (all || core::EqualsNoCase(calib::SplitArchiveName(name).manufacturer,
                                  manufacturers_[static_cast<std::size_t>(filter_ - 1)])) {
      files_.push_back(std::move(name));
    }
  }
}

void FrmKvxLoadSave::SetFilter(int index) {
  filter_ = index;
  ListFiles();
}

void FrmKvxLoadSave::SelectFile(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= files_.size()) {
    return;
  }
  selected_ = index;
  const std::string& name = files_[static_cast<std::size_t>(index)];
  note_ = calib::ReadNoteOfFile(DataDir() + name);
  name_ = calib::SplitArchiveName(name);
}

void FrmKvxLoadSave::SelectReference(int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < references_.size()) {
    reference_ = index;
  }
}

bool FrmKvxLoadSave::Accepted(CalibrationDocument::Started s) {
  switch (s) {
    case CalibrationDocument::Started::kPosted:
    case CalibrationDocument::Started::kWritten:
      return true;
    case CalibrationDocument::Started::kBusy:
      Say(texts_.busy, platform::BoxKind::Exclamation);
      return false;
    case CalibrationDocument::Started::kFailed:
      return false;
  }
  return false;
}

bool FrmKvxLoadSave::SaveAt(const std::string& path) {
  if (core::EsisteFile(path) && !Ask(texts_.overwrite)) {
    return false;
  }
  document_.Env().image.note = note_;
  return Accepted(document_.Save(path));
}

bool FrmKvxLoadSave::OpenAt(const std::string& path) {
  if (!core::EsisteFile(path)) {
    Say(texts_.missing_file, platform::BoxKind::Exclamation);
    return false;
  }
  return Accepted(document_.Open(path, session::request::kLoadAll));
}

bool FrmKvxLoadSave::CmdOk() {
  if (mode_ == archive_mode::kSave) {
    // Checked before anything is written: a separator or ".." would put the
    // file outside the archive.
    switch (calib::CheckArchiveName(name_)) {
      case calib::NameFault::kEmpty:
        Say(texts_.fill_name, platform::BoxKind::Exclamation);
        return false;
      case calib::NameFault::kForbidden:
        Say(texts_.bad_name, platform::BoxKind::Exclamation);
        return false;
      case calib::NameFault::kNone:
        break;
    }
    return SaveAt(DataDir() + calib::ArchiveFileName(name_));
  }
  if (selected_ < 0) {
    Say(texts_.select_file, platform::BoxKind::Exclamation);
    return false;
  }
  return OpenAt(DataDir() + files_[static_cast<std::size_t>(selected_)]);
}

bool FrmKvxLoadSave::CmdCerca(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  if (mode_ == archive_mode::kSave) {
    name_ = calib::SplitArchiveName(path);
    return SaveAt(path);
  }
  return OpenAt(path);
}

void FrmKvxLoadSave::CmdSave() {
  mode_ = archive_mode::kSave;
  // The direct-injection page keeps its own note with the calibration.
  if (!document_.Env().image.flags.direct_injection) {
    note_.clear();
  }
}

void FrmKvxLoadSave::CmdApriTutto() {
  mode_ = archive_mode::kOpen;
  selected_ = -1;
}

bool FrmKvxLoadSave::CmdReset() {
  if (reference_ < 0) {
    Say(texts_.no_reference, platform::BoxKind::Exclamation);
    return false;
  }
  if (document_.Env().session.Connected() && !Ask(texts_.reference_question)) {
    return false;
  }
  return OpenAt(references_[static_cast<std::size_t>(reference_)].path);
}

void FrmKvxLoadSave::CmdCancelFile() {
  if (selected_ < 0) {
    Say(texts_.select_file, platform::BoxKind::Exclamation);
    return;
  }
  const std::string name = files_[static_cast<std::size_t>(selected_)];
  if (!Ask(texts_.delete_question + std::string(kQuestionMark))) {
    return;
  }
  if (!calib::DeleteArchiveFile(DataDir(), name)) {
    Say(texts_.delete_failed, platform::BoxKind::Critical);
  }
  ListFiles();
  note_.clear();
}

bool FrmKvxLoadSave::CmdExport(const std::string& path) {
  return !path.empty() && document_.ExportDump(path);
}

}  // namespace velmora::pages
