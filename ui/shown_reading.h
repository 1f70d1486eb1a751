#pragma once

#include <QString>
#include <cmath>

#include "core/text.h"

namespace velmora::ui {

// The reading an instrument shows: a value, or none ("-") before the first
// one and after a value that is not a number.
class ShownReading {
 public:
  // False when what is shown stays the same, so the widget need not paint.
  bool Set(double value) {
    if (std::isnan(value)) {
      return Clear();
    }
    if (has_ && value == value_) {
      return false;
    }
    value_ = value;
    has_ = true;
    return true;
  }
  bool Clear() {
    const bool had = has_;
    has_ = false;
    return had;
  }
  [[nodiscard]] bool Has() const { return has_; }
  [[nodiscard]] double Value() const { return value_; }
  [[nodiscard]] QString Text(int decimals) const {
    return has_ ? QString::fromStdString(core::FormatFixed(value_, decimals)) : QStringLiteral("-");
  }

 private:
  double value_ = 0;
  bool has_ = false;
};

}  // namespace velmora::ui
