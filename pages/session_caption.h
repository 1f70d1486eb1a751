#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/session_texts.h"

namespace velmora::pages {

// A title or caption the session showed, remembered by what it says rather
// than by its words, so that a language change can show it again in the
// new language. A text the window does not know is kept as it was.
struct SessionCaption {
  int which = -1;      // a session_caption value, or -1 for a literal
  std::string suffix;  // what followed the text (the port number)
  std::string literal;
};

namespace session_caption {
inline constexpr int kMainTitle = 0;
inline constexpr int kNotConnected = 1;
inline constexpr int kLinkLost = 2;
inline constexpr int kConnectingOnPort = 3;  // the only one with a suffix
inline constexpr int kConnected = 4;
inline constexpr int kBlankEcu = 5;
inline constexpr int kBlankEcuHint = 6;
inline constexpr int kReading = 7;
inline constexpr int kReadFailed = 8;
inline constexpr int kOffline = 9;
inline constexpr int kCount = 10;
}  // namespace session_caption

// The texts one language gives the captions, the main title included.
struct CaptionTexts {
  session::SessionTexts texts;
  std::string main_title;
};

// The caption texts of the chosen language; `title` stands in for a
// dictionary without the application title.
[[nodiscard]] CaptionTexts CaptionTextsFrom(const core::ClsLingue& lingue, std::string_view title);

[[nodiscard]] SessionCaption RecogniseCaption(const CaptionTexts& texts, std::string_view shown);
[[nodiscard]] std::string RenderCaption(const CaptionTexts& texts, const SessionCaption& caption);

// The COM number of a "connecting on port" caption.
[[nodiscard]] std::optional<int> CaptionPort(const SessionCaption& caption);

}  // namespace velmora::pages
