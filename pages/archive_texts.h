#pragma once

#include <string_view>

namespace velmora::pages {

// Texts of the archive dialog's block, relative to its marker; the File
// menu and the comparison page keep theirs at the end of it.
namespace archive_text {
inline constexpr std::string_view kMarker = "[FrmSalvaAprifile]";
inline constexpr int kCaption = 1;
inline constexpr int kOpen = 2;
inline constexpr int kSave = 3;
inline constexpr int kCancel = 4;
inline constexpr int kBrowse = 5;
inline constexpr int kManufacturer = 6;
inline constexpr int kModel = 7;
inline constexpr int kCylinders = 8;
inline constexpr int kIdentifier = 9;
inline constexpr int kNote = 10;
inline constexpr int kFiles = 11;
inline constexpr int kFilter = 12;
inline constexpr int kDelete = 13;
inline constexpr int kExport = 14;
inline constexpr int kOpenMode = 15;
inline constexpr int kSaveMode = 16;
inline constexpr int kOverwrite = 17;
inline constexpr int kDeleteQuestion = 18;  // followed by "?"
inline constexpr int kSelectFile = 19;
inline constexpr int kFillName = 20;
inline constexpr int kMissingFile = 21;
inline constexpr int kDumpCaption = 22;
inline constexpr int kExportDone = 23;
inline constexpr int kBadName = 24;
inline constexpr int kDeleteFailed = 25;
inline constexpr int kAllManufacturers = 26;
// The File menu.
inline constexpr int kMenuOpen = 27;
inline constexpr int kMenuSaveAs = 28;
inline constexpr int kMenuArchiveOpen = 29;
inline constexpr int kMenuArchiveSave = 30;
inline constexpr int kMenuExport = 31;
inline constexpr int kMenuRecent = 32;
inline constexpr int kMenuNoRecent = 33;
inline constexpr int kScopeCaption = 34;
inline constexpr int kScopeAll = 35;  // then settings, maps, switch-over
inline constexpr int kLoading = 39;
inline constexpr int kSaving = 40;
inline constexpr int kNotCalibration = 41;
// The comparison page.
inline constexpr int kCompareNav = 42;
inline constexpr int kCompareTitle = 43;
inline constexpr int kFirstSide = 44;
inline constexpr int kSecondSide = 45;
inline constexpr int kEcuSide = 46;
inline constexpr int kImageSide = 47;
inline constexpr int kOtherFile = 48;
inline constexpr int kEqual = 49;
inline constexpr int kDifferences = 50;
inline constexpr int kCopyToEcu = 51;
inline constexpr int kCopyToImage = 52;
inline constexpr int kMapChange = 53;
inline constexpr int kSection = 54;
inline constexpr int kChanges = 55;
}  // namespace archive_text

// Texts of the shared block of small words.
namespace misc_text {
inline constexpr std::string_view kMarker = "[FrmMisc]";
inline constexpr int kAllFiles = 16;
inline constexpr int kCalibrationFiles = 17;
inline constexpr int kTextFiles = 18;
inline constexpr int kRestoreReference = 19;
inline constexpr int kReference = 20;
inline constexpr int kWriteFailed = 21;
inline constexpr int kReadFailed = 22;
}  // namespace misc_text

// Texts of the reference list.
namespace sel_alim_text {
inline constexpr std::string_view kMarker = "[Frm_SelAlim]";
inline constexpr int kReferences = 2;
inline constexpr int kNoReference = 11;
inline constexpr int kLoadQuestion = 13;
}  // namespace sel_alim_text

}  // namespace velmora::pages
