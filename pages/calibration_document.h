#pragma once

#include <map>
#include <optional>
#include <string>

#include "calib/calibration_file.h"
#include "pages/page_services.h"
#include "pages/recent_files.h"
#include "session/request_table.h"

namespace velmora::pages {

// What the calibration document needs beside a page's environment: the date
// of a file written from memory and the file of the recent-file list.
struct DocumentEnv {
  PageEnv& page;
  calib::DateProvider& dates;
  std::string recent_file;
};

// The calibration file the workstation works on: the file opened, loaded
// or saved last, whether the image still holds what that file holds, and
// the recent files. Saves and loads go through the session's requests (8;
// 18, 9, 17, 53); only a save while disconnected writes the file at once
// from memory. The document learns how the session's file requests ended
// by wrapping their registered work (and gives it back when it goes).
class CalibrationDocument {
 public:
  explicit CalibrationDocument(DocumentEnv env);
  ~CalibrationDocument();
  CalibrationDocument(const CalibrationDocument&) = delete;
  CalibrationDocument& operator=(const CalibrationDocument&) = delete;

  enum class Started {
    kPosted,   // the session carries it out on its next ticks
    kWritten,  // written from memory at once
    kBusy,     // another request is pending: nothing done
    kFailed,   // the file could not be written (the box said so)
  };
  // Saves the calibration as `path`. While disconnected the file is written
  // from the image and no request is posted: a save left pending would write
  // the calibration of whatever ECU is connected later over this file.
  Started Save(const std::string& path);
  // Opens `path` with a load request: `scope` 18, 9, 17 or 53 (while
  // disconnected the session opens 18 and 53 into the image).
  Started Open(const std::string& path, int scope);
  // The readable text dump of the image; the box tells how it went.
  bool ExportDump(const std::string& path);

  // A request posted here has not ended yet.
  [[nodiscard]] bool Waiting() const { return waiting_.has_value(); }
  [[nodiscard]] int WaitingCode() const { return waiting_ ? waiting_->code : 0; }
  // Looks again at the session and the image: a request of ours the session
  // dropped, whether the image still matches the file, the connection.
  // True when the title differs from the one this call gave last.
  bool Tick();

  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] bool Modified() const { return modified_; }
  // What follows the application title and version in the main window's
  // title: five blanks and the file's name ("*" after it while the image
  // differs from the file); while disconnected also " - [", the file's
  // name with its extension and "] ". Empty before any file.
  [[nodiscard]] std::string TitleSuffix() const;

  [[nodiscard]] RecentFiles& Recent() { return recent_; }
  [[nodiscard]] PageEnv& Env() const { return env_.page; }

 private:
  struct PendingFile {
    int code;
    std::string path;
  };
  void Observe(int code);
  bool Finished(int code, bool ok);
  void Adopt(const std::string& path);
  [[nodiscard]] bool Disconnected() const;
  [[nodiscard]] bool DiffersFromFile() const;
  void Show(const std::string& text, platform::BoxKind kind) const;

  DocumentEnv env_;
  RecentFiles recent_;
  std::map<int, session::RequestWork> originals_;
  std::optional<PendingFile> waiting_;
  std::string path_;
  calib::CalibrationFrames snapshot_;
  bool modified_ = false;
  std::string shown_title_;  // as Tick last reported it
};

}  // namespace velmora::pages
