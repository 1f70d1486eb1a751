#include "session/session_texts.h"

namespace velmora::session {

SessionTexts SessionTextsFrom(const core::ClsLingue& lingue) {
  SessionTexts t;
  const int offset = lingue.MarkerOffset(general_text::kMarker);
  if (offset <= 0) {
    return t;
  }
  const auto take = [&](int k, std::string& into) {
    std::string text = lingue.Testo(offset, k);
    if (!text.empty()) {
      into = std::move(text);
    }
  };
  namespace g = general_text;
  take(g::kNotConnected, t.not_connected);
  take(g::kLinkLost, t.link_lost);
  take(g::kConnectingOnPort, t.connecting_on_port);
  take(g::kSearching, t.searching);
  take(g::kConnected, t.connected);
  take(g::kBlankEcu, t.blank_ecu);
  take(g::kBlankEcuHint, t.blank_ecu_hint);
  take(g::kSaveFailed, t.save_failed);
  take(g::kLoadFailed, t.load_failed);
  take(g::kWriteFailed, t.write_failed);
  take(g::kMapWriteFailed, t.map_write_failed);
  take(g::kAxesWriteFailed, t.axes_write_failed);
  take(g::kReadFailed, t.read_failed);
  take(g::kOffline, t.offline);
  take(g::kReading, t.reading);
  take(g::kSaved, t.saved);
  take(g::kLoaded, t.loaded);
  if (std::string title = lingue.VoceDizionario(lingue.IdLingua(), 0); !title.empty()) {
    t.caption = std::move(title);
  }
  return t;
}

}  // namespace velmora::session
