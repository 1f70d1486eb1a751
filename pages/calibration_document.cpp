#include "pages/calibration_document.h"

#include <array>

#include "calib/calibration_diff.h"
#include "calib/calibration_dump.h"
#include "calib/calibration_save.h"
#include "core/files.h"
#include "core/session_flags.h"
#include "core/text_block.h"
#include "pages/archive_texts.h"

namespace velmora::pages {

namespace {

namespace request = session::request;
namespace at = archive_text;

// The session's file requests, whose end the document follows.
constexpr std::array<int, 5> kFileRequests{request::kSaveFromEcu, request::kLoadAll,
                                           request::kLoadNoMaps, request::kLoadMaps,
                                           request::kLoadSwitchOver};
constexpr std::string_view kTitleGap = "     ";
constexpr std::string_view kModifiedMark = "*";

std::string NameOf(const std::string& path, bool with_extension) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (!with_extension && dot != std::string::npos && dot > 0) {
    name.resize(dot);
  }
  return name;
}

}  // namespace

CalibrationDocument::CalibrationDocument(DocumentEnv env)
    : env_(std::move(env)), recent_(env_.recent_file) {
  recent_.Load();
  for (const int code : kFileRequests) {
    Observe(code);
  }
}

CalibrationDocument::~CalibrationDocument() {
  for (auto& [code, work] : originals_) {
    env_.page.requests.Register(code, std::move(work));
  }
}

void CalibrationDocument::Observe(int code) {
  const session::RequestWork* work = env_.page.requests.Find(code);
  if (work == nullptr) {
    return;
  }
  originals_.emplace(code, *work);
  session::RequestWork wrapped = *work;
  if (work->run) {
    wrapped.run = [this, code, run = work->run] { return Finished(code, run()); };
  }
  if (work->offline) {
    wrapped.offline = [this, code, run = work->offline] { return Finished(code, run()); };
  }
  env_.page.requests.Register(code, std::move(wrapped));
}

bool CalibrationDocument::Finished(int code, bool ok) {
  const bool ours = waiting_ && waiting_->code == code;
  if (ok && code == request::kSaveFromEcu && ours) {
    Adopt(waiting_->path);
  } else if (ok && code != request::kSaveFromEcu) {
    // Whoever asked for it, the image now holds this file.
    Adopt(env_.page.session.ChosenFile());
  }
  if (ours) {
    waiting_.reset();
  }
  return ok;
}

void CalibrationDocument::Adopt(const std::string& path) {
  path_ = path;
  snapshot_ = calib::ImageFrames(env_.page.table, env_.page.image);
  modified_ = false;
  if (!path.empty()) {
    (void)recent_.Add(path);
  }
}

bool CalibrationDocument::Disconnected() const {
  const int state = env_.page.session.State();
  return state == core::session_state::kDisconnected ||
         state == core::session_state::kDisconnectedAlt;
}

void CalibrationDocument::Show(const std::string& text, platform::BoxKind kind) const {
  env_.page.box.Show(text, env_.page.main_title, kind);
}

CalibrationDocument::Started CalibrationDocument::Save(const std::string& path) {
  if (Disconnected()) {
    calib::CalibrationEnv calibration{env_.page.table, env_.page.image, env_.page.box, env_.dates,
                                      calib::TextsFromDictionary(env_.page.lingue)};
    if (!calib::SaveCalibrationFromImage(calibration, path)) {
      return Started::kFailed;  // the file message was shown
    }
    Adopt(path);
    return Started::kWritten;
  }
  if (!env_.page.session.PostFileRequest(request::kSaveFromEcu, path)) {
    return Started::kBusy;
  }
  waiting_ = PendingFile{request::kSaveFromEcu, path};
  return Started::kPosted;
}

CalibrationDocument::Started CalibrationDocument::Open(const std::string& path, int scope) {
  if (!env_.page.session.PostFileRequest(scope, path)) {
    return Started::kBusy;
  }
  waiting_ = PendingFile{scope, path};
  return Started::kPosted;
}

bool CalibrationDocument::ExportDump(const std::string& path) {
  const core::TextBlock texts(env_.page.lingue, at::kMarker);
  const std::string dump = calib::CalibrationDump(env_.page.table, env_.page.image,
                                                  texts.Text(at::kDumpCaption, "Calibration dump"));
  if (!core::WriteFileAtomic(path, dump)) {
    const core::TextBlock misc(env_.page.lingue, misc_text::kMarker);
    Show(misc.Text(misc_text::kWriteFailed, "The file could not be written"),
         platform::BoxKind::Critical);
    return false;
  }
  Show(texts.Text(at::kExportDone, "Export completed"), platform::BoxKind::Information);
  return true;
}

bool CalibrationDocument::DiffersFromFile() const {
  return !calib::CompareCalibrations(
              snapshot_, calib::ImageFrames(env_.page.table, env_.page.image), env_.page.table)
              .Equal();
}

bool CalibrationDocument::Tick() {
  // A request the session dropped (the ECU went away) never reaches its
  // work: it has ended when the session no longer holds it.
  if (waiting_ && env_.page.session.PendingRequest() != waiting_->code) {
    waiting_.reset();
  }
  modified_ = !path_.empty() && DiffersFromFile();
  std::string title = TitleSuffix();
  if (title == shown_title_) {
    return false;
  }
  shown_title_ = std::move(title);
  return true;
}

std::string CalibrationDocument::TitleSuffix() const {
  if (path_.empty()) {
    return {};
  }
  std::string out = std::string(kTitleGap) + NameOf(path_, false);
  if (modified_) {
    out += kModifiedMark;
  }
  if (Disconnected()) {
    out += " - [" + NameOf(path_, true) + "] ";
  }
  return out;
}

}  // namespace velmora::pages
