#pragma once

#include <string>
#include <string_view>

namespace velmora::platform {

enum class BoxKind { Plain, Critical, Information, Exclamation, Question };

// Modal messages. The core reports through this so that tests can see every
// text and box kind, and headless front ends can print instead of blocking.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void Show(std::string_view text, std::string_view caption, BoxKind kind) = 0;
  // Yes/No question; true for Yes.
  virtual bool Ask(std::string_view text, std::string_view caption) = 0;
};

}  // namespace velmora::platform
