#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/session_texts.h"

namespace velmora::session {

// What to do with a pending request code.
struct RequestWork {
  // The work while connected; true on success.
  std::function<bool()> run;
  // The work while disconnected, without ECU traffic; empty when the request
  // cannot run offline (it is then dropped).
  std::function<bool()> offline;
  // Shown when `run` or `offline` fails; empty for none.
  std::string failure_text;
  // A write-list request: the page shown is refreshed afterwards.
  bool refresh_page = false;
  // The write lists (their entries) the work applies: emptied when it has
  // run, whatever its outcome, and when it is refused or dropped, so that no
  // later request applies records left over from this one.
  std::vector<std::size_t> lists;
  // It writes data of the calibration image (maps, axes, the parameter
  // record) rather than values of an entry it reads first: refused while the
  // image does not hold a complete read of the connected ECU.
  bool writes_image = false;
  // Its work comes from a file, not from the image of the ECU that was
  // connected when it was posted, so it survives a change of ECU.
  bool file_based = false;
  // Instead of `failure_text`: one of the session's own texts, taken when it
  // is shown, so that it follows a change of language.
  std::string SessionTexts::*session_text = nullptr;
  // Called when the request is dropped without running (the ECU went away,
  // or the session is disconnected), so that whoever posted it and waits
  // for its end is not left waiting.
  std::function<void()> dropped;
};

// The one registration point: request code to work. Pages register their
// codes when they are built; a later registration replaces an earlier one.
class RequestTable {
 public:
  void Register(int code, RequestWork work) { work_[code] = std::move(work); }
  void Unregister(int code) { work_.erase(code); }
  // nullptr for a code nobody registered.
  [[nodiscard]] const RequestWork* Find(int code) const {
    const auto it = work_.find(code);
    return it == work_.end() ? nullptr : &it->second;
  }

 private:
  std::map<int, RequestWork> work_;
};

}  // namespace velmora::session
