#include "pages/session_caption.h"

#include "core/text.h"
#include "core/text_block.h"

namespace velmora::pages {

namespace {

const std::string& TextOf(const CaptionTexts& t, int which) {
  namespace c = session_caption;
  switch (which) {
    case c::kNotConnected:
      return t.texts.not_connected;
    case c::kLinkLost:
      return t.texts.link_lost;
    case c::kConnectingOnPort:
      return t.texts.connecting_on_port;
    case c::kConnected:
      return t.texts.connected;
    case c::kBlankEcu:
      return t.texts.blank_ecu;
    case c::kBlankEcuHint:
      return t.texts.blank_ecu_hint;
    case c::kReading:
      return t.texts.reading;
    case c::kReadFailed:
      return t.texts.read_failed;
    case c::kOffline:
      return t.texts.offline;
    default:
      return t.main_title;
  }
}

}  // namespace

CaptionTexts CaptionTextsFrom(const core::ClsLingue& lingue, std::string_view title) {
  return {session::SessionTextsFrom(lingue), core::TitleText(lingue, title)};
}

SessionCaption RecogniseCaption(const CaptionTexts& texts, std::string_view shown) {
  namespace c = session_caption;
  for (int which = 0; which < c::kCount; ++which) {
    const std::string& text = TextOf(texts, which);
    if (text.empty()) {
      continue;
    }
    if (which == c::kConnectingOnPort) {
      if (shown.size() > text.size() && shown.substr(0, text.size()) == text) {
        return {which, std::string(shown.substr(text.size())), {}};
      }
    } else if (shown == text) {
      return {which, {}, {}};
    }
  }
  return {-1, {}, std::string(shown)};
}

std::string RenderCaption(const CaptionTexts& texts, const SessionCaption& caption) {
  if (caption.which < 0 || caption.which >= session_caption::kCount) {
    return caption.literal;
  }
  return TextOf(texts, caption.which) + caption.suffix;
}

std::optional<int> CaptionPort(const SessionCaption& caption) {
  if (caption.which != session_caption::kConnectingOnPort) {
    return std::nullopt;
  }
  return core::ParseInt32(caption.suffix);
}

}  // namespace velmora::pages
