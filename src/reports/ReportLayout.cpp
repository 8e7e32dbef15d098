#include "reports/ReportLayout.h"

#include <QFontDatabase>
#include <QStringList>

namespace varnel {

QString reportFontFamily() {
  static const QString family = [] {
    QString loaded;
    for (const char *file : {":/reports/fonts/NotoSans-Regular.ttf", ":/reports/fonts/NotoSans-Bold.ttf"}) {
      const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
      const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
      if (loaded.isEmpty() && !families.isEmpty())
        loaded = families.first();
    }
    // Without the bundled files the desktop's own sans-serif stands in.
    return loaded.isEmpty() ? QStringLiteral("Sans Serif") : loaded;
  }();
  return family;
}

QFont reportFont(qreal pointSize, QFont::Weight weight) {
  QFont font(reportFontFamily());
  font.setPointSizeF(pointSize);
  font.setWeight(weight);
  font.setStyle(QFont::StyleNormal);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(true);
  return font;
}

ReportLayout ReportLayout::standard() {
  ReportLayout layout;
  layout.titleFont = reportFont(17, QFont::Bold);
  layout.subtitleFont = reportFont(9, QFont::Normal);
  layout.sectionFont = reportFont(11, QFont::Bold);
  layout.labelFont = reportFont(8.5, QFont::DemiBold);
  layout.bodyFont = reportFont(9.5, QFont::Normal);
  layout.smallFont = reportFont(8, QFont::Normal);
  return layout;
}

} // namespace varnel
