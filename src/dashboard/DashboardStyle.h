#pragma once
// The look the dashboard's widgets share: text sizes, the ten-colour
// palette, the secondary colour, the translucent card material and digits of
// one width.

#include <QColor>
#include <QFont>
#include <QList>
#include <QPalette>

class QPainter;
class QRectF;
class QWidget;

namespace varnel::dashboard {

enum class TextStyle { LargeTitle, Title, Headline, Callout };

// base scaled for the style; Title, LargeTitle and Headline are bold, the others regular.
QFont font(const QFont &base, TextStyle style);

// Whether the palette is a dark one (light text on a dark window).
bool isDark(const QPalette &palette);

// Blue, green, orange, purple, pink, teal, red, indigo, mint, yellow, in the
// shades that read well on the palette's window colour.
QList<QColor> chartColors(const QPalette &palette);
// The colour of row index (from 0): colors cycled.
QColor colorAt(const QList<QColor> &colors, qsizetype index);

// Text that is less prominent than the main text.
QColor secondaryColor(const QPalette &palette);

// A thin translucent card, clipped to a rounded rectangle of radius 8.
void paintMaterial(QPainter &painter, const QRectF &rect, const QPalette &palette);

// Draws text with every digit in a cell as wide as the widest digit, so
// that counts line up in columns whatever the font. Right-aligned in rect
// when alignRight, else left-aligned; vertically centred.
void drawTabularText(QPainter &painter, const QRectF &rect, const QString &text, bool alignRight);
qreal tabularTextWidth(const QFont &font, const QString &text);

} // namespace varnel::dashboard
