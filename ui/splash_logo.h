#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace velmora::ui {

// The splash picture's file name in the picture folder.
inline constexpr const char* kSplashPictureName = "Corvalis_Logo.bmp";
inline constexpr QSize kSplashSize{520, 300};

// The product's logo drawn from scratch: the picture shipped in the picture
// folder is this drawing, and the splash draws it itself when the file is
// missing.
[[nodiscard]] QImage DrawSplashLogo(QSize size, const QString& version = QString());

}  // namespace velmora::ui
