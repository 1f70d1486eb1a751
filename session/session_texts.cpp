#include "session/session_texts.h"

#include "core/text_block.h"

namespace velmora::session {

SessionTexts SessionTextsFrom(const core::ClsLingue& lingue) {
  SessionTexts t;
  const core::TextBlock block(lingue, general_text::kMarker);
  if (!block.Found()) {
    return t;
  }
  namespace g = general_text;
  block.Take(g::kNotConnected, t.not_connected);
  block.Take(g::kLinkLost, t.link_lost);
  block.Take(g::kConnectingOnPort, t.connecting_on_port);
  block.Take(g::kSearching, t.searching);
  block.Take(g::kConnected, t.connected);
  block.Take(g::kBlankEcu, t.blank_ecu);
  block.Take(g::kBlankEcuHint, t.blank_ecu_hint);
  block.Take(g::kSaveFailed, t.save_failed);
  block.Take(g::kLoadFailed, t.load_failed);
  block.Take(g::kImageNotRead, t.image_not_read);
  block.Take(g::kWriteFailed, t.write_failed);
  block.Take(g::kMapWriteFailed, t.map_write_failed);
  block.Take(g::kAxesWriteFailed, t.axes_write_failed);
  block.Take(g::kReadFailed, t.read_failed);
  block.Take(g::kOffline, t.offline);
  block.Take(g::kReading, t.reading);
  block.Take(g::kSaved, t.saved);
  block.Take(g::kLoaded, t.loaded);
  t.caption = core::TitleText(lingue, t.caption);
  return t;
}

}  // namespace velmora::session
