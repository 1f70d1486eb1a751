#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

namespace velmora::ui {

// The rounded white card every dashboard instrument sits on, with its title
// at the top left. Returns the area left below the title.
QRectF PaintCard(QPainter& p, const QWidget& w, const QString& title);

// The widget's font at `scale` times its size, bold on request.
QFont ScaledFont(const QWidget& w, double scale, bool bold = false);

// A font `pixels` high (never below 7), for text that grows with a dial.
QFont PixelFont(const QWidget& w, double pixels, bool bold = false);

// The window colour behind a page or a window of its own.
void UseWindowBackground(QWidget& w);

// The colour of a label's text.
void SetTextColour(QWidget& w, QRgb colour);

}  // namespace velmora::ui
