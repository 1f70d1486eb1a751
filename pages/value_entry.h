#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::pages {

// The operation code handed back to the calling grid.
namespace value_op {
inline constexpr int kCancelled = 0;  // the grid beeps and changes nothing
inline constexpr int kAdd = 1;        // cell + value
inline constexpr int kPercent = 2;
inline constexpr int kSet = 3;  // cell = value
}  // namespace value_op

// The option buttons (OptTipoOper) in the order they are shown.
namespace value_option {
inline constexpr int kAdd = 0;
inline constexpr int kPercent = 1;
inline constexpr int kSet = 2;
inline constexpr int kCount = 3;
}  // namespace value_option

// Texts of the dialog, relative to its marker.
namespace enter_value_text {
inline constexpr std::string_view kMarker = "[Frm_EnterValue]";
inline constexpr int kCaption = 1;
inline constexpr int kNotANumber = 2;
inline constexpr int kAboveMax = 3;
inline constexpr int kBelowMin = 4;
inline constexpr int kAdd = 5;
inline constexpr int kPercent = 6;
inline constexpr int kSet = 7;
inline constexpr int kValue = 8;
inline constexpr int kOperation = 9;
inline constexpr int kHint = 10;
}  // namespace enter_value_text

struct Limit {
  double max = 0;
  double min = 0;
};

// The limits of the three operations, as a grid passes them.
struct Limits {
  Limit add;
  Limit percent;
  Limit set;
};

// The limits each kind of grid opens the dialog with.
namespace grid_limits {
// Injection map grid and carburation grid.
inline constexpr Limits kMap{{100, -100}, {50, -50}, {255, 0}};
// Lambda-emulation grid and switch-over temperature grid.
inline constexpr Limits kLambda{{255, -255}, {100, -100}, {127, -127}};
inline constexpr Limits kDirectInjection{{255, -255}, {200, -200}, {150, 0}};
}  // namespace grid_limits

// What the dialog hands back: the operation code and the value.
struct EnteredValue {
  int operation = value_op::kSet;
  float value = 0;
};

// The dialog's texts in the chosen language.
struct EnterValueTexts {
  std::string caption = "Enter value";
  std::string not_a_number = "Enter a valid number";
  std::string above_max = "The value is above the maximum:";
  std::string below_min = "The value is below the minimum:";
  std::array<std::string, value_option::kCount> options = {"Add", "Percent", "Set"};
  std::string value = "Value";
  std::string operation = "Operation";
  std::string hint = "Press Enter to apply, Esc to cancel";
};

// The texts of "[Frm_EnterValue]" in the chosen language; the caption gets
// the version text appended. A dictionary without the block, or with empty
// entries, keeps the built-in English texts.
[[nodiscard]] EnterValueTexts LoadEnterValueTexts(const core::ClsLingue& lingue,
                                                  std::string_view version_text);

// A limit as the messages show it: whole numbers without decimals.
[[nodiscard]] std::string FormatLimit(double limit);

// The option that produces an operation code; none for a cancel.
[[nodiscard]] std::optional<int> OptionOfOperation(int code);

// Outcome of pressing Enter: accepted, or refused with the text to show.
struct Verdict {
  bool accepted = false;
  std::string message;
};

// The value entry dialog without its window: the limits, the selected
// option, the validation of the typed text and the result. Created once and
// reused; the limits stay until the next SistemaSoglie.
class FrmEnterValue {
 public:
  FrmEnterValue() { Load(); }

  void SetTexts(EnterValueTexts texts) { texts_ = std::move(texts); }
  [[nodiscard]] const EnterValueTexts& Texts() const { return texts_; }

  // Window load: value 0, text "0", operation "set", first option.
  void Load();

  // Stores the six limits and selects the first option (add).
  void SistemaSoglie(double max_add, double min_add, double max_percent, double min_percent,
                     double max_set, double min_set);
  void SistemaSoglie(const Limits& s);
  [[nodiscard]] const Limits& CurrentLimits() const { return limits_; }
  [[nodiscard]] Limit LimitOf(int option) const;

  // An index outside the options is ignored.
  void SelectOption(int option);
  [[nodiscard]] int Option() const { return option_; }

  // The dialog's starting text ("0"), the tag of TxtValue.
  [[nodiscard]] const std::string& InitialText() const { return tag_; }

  // Whether a typed character reaches the text box: digits, ",", "-", "."
  // and Backspace.
  [[nodiscard]] static bool KeyAllowed(char32_t key);

  // Enter: checks `text` against the selected option's limits. Accepted
  // values set the result and the done flag; refused ones leave both alone.
  [[nodiscard]] Verdict Confirm(std::string_view text);

  // Esc or the close box: operation 0, value 0, done.
  void Cancel();

  // The caller clears the done flag before it shows the dialog again.
  void Rearm() { done_ = false; }
  [[nodiscard]] bool Done() const { return done_; }
  [[nodiscard]] const EnteredValue& Result() const { return result_; }

 private:
  EnterValueTexts texts_;
  Limits limits_{};
  int option_ = value_option::kAdd;
  std::string tag_ = "0";
  EnteredValue result_;
  bool done_ = false;
};

}  // namespace velmora::pages
