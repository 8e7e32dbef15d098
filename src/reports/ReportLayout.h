#pragma once
// The fixed page geometry and fonts of the visit report, in PDF points.

#include <QColor>
#include <QFont>
#include <QSizeF>

namespace varnel {

struct ReportLayout {
  QSizeF pageSize{595.28, 841.89}; // A4
  qreal margin = 28.35;            // 1 cm
  QFont titleFont;                 // 17 bold
  QFont subtitleFont;              // 9 regular
  QFont sectionFont;               // 11 bold
  QFont labelFont;                 // 8.5 semibold
  QFont bodyFont;                  // 9.5 regular
  QFont smallFont;                 // 8 regular

  // The report's layout with its bundled fonts (loaded on first use).
  static ReportLayout standard();
};

// The family name of the bundled report font.
QString reportFontFamily();

// A report font of the given size in points and weight. Hinting is off so
// that glyph advances keep their fractional widths at 72 dpi.
QFont reportFont(qreal pointSize, QFont::Weight weight);

// Colours of the page. Text uses the standard primary and secondary text
// colours of a light appearance, fixed, because the page is always white.
namespace reportcolors {
inline const QColor label{0, 0, 0, 217};             // primary text, 85 % black
inline const QColor secondaryLabel{60, 60, 67, 153}; // secondary text, 60 %
inline const QColor green{52, 199, 89};              // the system green
inline QColor grey(qreal level) { return QColor::fromRgbF(float(level), float(level), float(level)); }
} // namespace reportcolors

} // namespace varnel
