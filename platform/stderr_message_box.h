#pragma once

#include <cstdio>
#include <string>

#include "platform/message_box.h"

namespace velmora::platform {

// Message boxes of a program without windows, or of a scripted run that
// nobody watches: each is one line on standard error, the text first and the
// caption (when there is one) after it. The count and the last text are
// kept, so a command can tell whether something went wrong while it waited.
class StderrMessageBox final : public MessageBox {
 public:
  void Show(std::string_view text, std::string_view caption, BoxKind /*kind*/) override {
    std::string line(text);
    if (!caption.empty()) {
      line += " [";
      line += caption;
      line += "]";
    }
    line += "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    ++shown_;
    last_ = text;
  }
  // Nobody can answer: every question is declined.
  bool Ask(std::string_view text, std::string_view caption) override {
    Show(text, caption, BoxKind::Question);
    return false;
  }
  [[nodiscard]] int Shown() const { return shown_; }
  [[nodiscard]] const std::string& LastText() const { return last_; }

 private:
  int shown_ = 0;
  std::string last_;
};

}  // namespace velmora::platform
