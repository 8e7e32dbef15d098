#pragma once
// The first report page: header, customer, address, visit dates, report text
// and signature box.

#include "reports/AtendimentoExternoPDFPayload.h"
#include "reports/ReportLayout.h"

#include <QDateTime>
#include <QImage>

class QPainter;

namespace varnel {

class ReportPainter;

class AtendimentoExternoPDFDocumentView {
public:
  // logo may be null: the green "Varnel" placeholder takes its place.
  AtendimentoExternoPDFDocumentView(const AtendimentoExternoPDFPayload &payload, const ReportLayout &layout,
                                    QDateTime generatedAt, QImage logo);

  // Draws the page in points, origin top left. Whatever falls below the
  // page's bottom edge is cut off.
  void draw(QPainter &painter) const;

private:
  struct Field {
    QString label;
    QString value;
  };

  void drawHeader(ReportPainter &out) const;
  void drawLogo(ReportPainter &out, const QRectF &box) const;
  void drawSectionTitle(ReportPainter &out, const QString &text, qreal &y) const;
  void drawFieldGrid(ReportPainter &out, const QList<Field> &fields, qreal &y) const;

  const AtendimentoExternoPDFPayload &m_payload;
  const ReportLayout &m_layout;
  QDateTime m_generatedAt;
  QImage m_logo;
};

} // namespace varnel
