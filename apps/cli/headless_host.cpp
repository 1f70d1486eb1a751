#include "apps/cli/headless_host.h"

#include <cstdio>

#include "core/session_flags.h"

namespace velmora::cli {

void HeadlessHost::Echo(std::string_view text) {
  // The connect loop shows the same caption on every attempt.
  if (!echo_ || text == last_echo_) {
    return;
  }
  last_echo_ = text;
  std::fprintf(stderr, "%s\n", last_echo_.c_str());
  std::fflush(stderr);
}

void HeadlessHost::ShowTitle(std::string_view text) {
  Echo(text);
}

void HeadlessHost::ShowCaption(std::string_view text) {
  if (text == texts_.reading) {
    reading_ = true;
    read_failed_ = false;
  } else if (text == texts_.read_failed) {
    read_failed_ = true;
  } else if (text.substr(0, texts_.connecting_on_port.size()) == texts_.connecting_on_port) {
    reading_ = false;  // a new attempt
  }
  Echo(text);
}

void HeadlessHost::ShowNotice(std::string_view text) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
}

void HeadlessHost::StateChanged(int from, int to) {
  if (to == core::session_state::kSearching) {
    reading_ = false;
  }
  if (on_state) {
    on_state(from, to);
  }
}

void HeadlessHost::Unload() {
  if (on_unload) {
    on_unload();
  }
}

}  // namespace velmora::cli
