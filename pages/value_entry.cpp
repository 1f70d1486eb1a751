#include "pages/value_entry.h"

#include <cmath>

#include "core/text.h"
#include "core/text_block.h"

namespace velmora::pages {

namespace {

constexpr char32_t kBackspace = 8;

// The text box takes either separator whatever the system's locale says.
constexpr char kDecimalComma = ',';

}  // namespace

EnterValueTexts LoadEnterValueTexts(const core::ClsLingue& lingue, std::string_view version_text) {
  namespace t = enter_value_text;
  EnterValueTexts texts;
  const core::TextBlock block(lingue, t::kMarker);
  block.Take(t::kCaption, texts.caption);
  block.Take(t::kNotANumber, texts.not_a_number);
  block.Take(t::kAboveMax, texts.above_max);
  block.Take(t::kBelowMin, texts.below_min);
  block.Take(t::kAdd, texts.options[value_option::kAdd]);
  block.Take(t::kPercent, texts.options[value_option::kPercent]);
  block.Take(t::kSet, texts.options[value_option::kSet]);
  block.Take(t::kValue, texts.value);
  block.Take(t::kOperation, texts.operation);
  block.Take(t::kHint, texts.hint);
  texts.caption += version_text;
  return texts;
}

std::string FormatLimit(double limit) {
  constexpr int kLimitDigits = 6;  // what "%g" gives
  return core::FormatNumber(limit, kLimitDigits);
}

std::optional<int> OptionOfOperation(int code) {
  switch (code) {
    case value_op::kAdd:
      return value_option::kAdd;
    case value_op::kPercent:
      return value_option::kPercent;
    case value_op::kSet:
      return value_option::kSet;
    default:
      return std::nullopt;
  }
}

void FrmEnterValue::Load() {
  result_ = EnteredValue{value_op::kSet, 0};
  tag_ = "0";
  option_ = value_option::kAdd;
}

void FrmEnterValue::SistemaSoglie(double max_add, double min_add, double max_percent,
                                  double min_percent, double max_set, double min_set) {
  SistemaSoglie(Limits{{max_add, min_add}, {max_percent, min_percent}, {max_set, min_set}});
}

void FrmEnterValue::SistemaSoglie(const Limits& s) {
  limits_ = s;
  option_ = value_option::kAdd;
}

Limit FrmEnterValue::LimitOf(int option) const {
  switch (option) {
    case value_option::kPercent:
      return limits_.percent;
    case value_option::kSet:
      return limits_.set;
    default:
      return limits_.add;
  }
}

void FrmEnterValue::SelectOption(int option) {
  if (option >= 0 && option < value_option::kCount) {
    option_ = option;
  }
}

bool FrmEnterValue::KeyAllowed(char32_t key) {
  return (key >= U'0' && key <= U'9') || key == U',' || key == U'-' || key == U'.' ||
         key == kBackspace;
}

Verdict FrmEnterValue::Confirm(std::string_view text) {
  const std::optional<double> parsed = core::ParseDecimal(text, kDecimalComma);
  if (!parsed || !std::isfinite(*parsed)) {
    return {false, texts_.not_a_number};
  }
  const double value = *parsed;
  const Limit limit = LimitOf(option_);
  if (value > limit.max) {
    return {false, texts_.above_max + " " + FormatLimit(limit.max)};
  }
  if (value < limit.min) {
    return {false, texts_.below_min + " " + FormatLimit(limit.min)};
  }
  static constexpr int kCodeOf[value_option::kCount] = {value_op::kAdd, value_op::kPercent,
                                                        value_op::kSet};
  result_ = EnteredValue{kCodeOf[option_], static_cast<float>(value)};
  done_ = true;
  return {true, {}};
}

void FrmEnterValue::Cancel() {
  result_ = EnteredValue{value_op::kCancelled, 0};
  done_ = true;
}

}  // namespace velmora::pages
