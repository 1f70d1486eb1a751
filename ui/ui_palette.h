#pragma once

#include <QColor>

namespace velmora::ui {

// The workstation's colours: calm neutrals with one accent and the three
// signal colours, so a reading out of range stands out at a glance.
namespace palette {
inline constexpr QRgb kWindow = 0xFFF3F5F7;
inline constexpr QRgb kCard = 0xFFFFFFFF;
inline constexpr QRgb kCardBorder = 0xFFD8DEE4;
inline constexpr QRgb kText = 0xFF1F2933;
inline constexpr QRgb kTextMuted = 0xFF66788A;
inline constexpr QRgb kTrack = 0xFFE4E9EE;
inline constexpr QRgb kTick = 0xFF3E4C59;
inline constexpr QRgb kAccent = 0xFF2F6FAB;
inline constexpr QRgb kAccentSoft = 0xFFD6E6F5;
inline constexpr QRgb kNeedle = 0xFFD9534F;
inline constexpr QRgb kHub = 0xFF2D3A45;
inline constexpr QRgb kOk = 0xFF2E8B57;
inline constexpr QRgb kWarning = 0xFFE0A526;
inline constexpr QRgb kDanger = 0xFFC9403A;
inline constexpr QRgb kIdle = 0xFFA7B3BE;
inline constexpr QRgb kLogoDeep = 0xFF16324F;
inline constexpr QRgb kLogoLight = 0xFF2F6FAB;
}  // namespace palette

inline QColor Colour(QRgb rgb) {
  return QColor::fromRgba(rgb);
}

// Spacing of every page, in pixels.
namespace spacing {
inline constexpr int kPage = 16;
inline constexpr int kGap = 12;
inline constexpr int kCardPadding = 10;
inline constexpr int kCardRadius = 8;
}  // namespace spacing

}  // namespace velmora::ui
