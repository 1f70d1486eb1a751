#pragma once

#include <QString>
#include <string_view>

namespace velmora::ui {

// Our texts (dictionary, page models) are UTF-8.
inline QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace velmora::ui
