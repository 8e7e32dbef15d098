#include "reports/AtendimentoExternoPDFDocumentView.h"

#include "reports/ReportPainter.h"
#include "reports/ReportValues.h"

#include <QPainter>

#include <algorithm>

namespace varnel {

namespace {
constexpr qreal logoWidth = 156;
constexpr qreal logoHeight = 56;
constexpr qreal headerHeight = 76;
} // namespace

AtendimentoExternoPDFDocumentView::AtendimentoExternoPDFDocumentView(const AtendimentoExternoPDFPayload &payload,
                                                                     const ReportLayout &layout, QDateTime generatedAt,
                                                                     QImage logo)
    : m_payload(payload), m_layout(layout), m_generatedAt(std::move(generatedAt)), m_logo(std::move(logo)) {}

void AtendimentoExternoPDFDocumentView::draw(QPainter &painter) const {
  ReportPainter out(painter, m_layout);
  const qreal m = m_layout.margin;
  const qreal W = out.pageWidth() - 2 * m;
  painter.fillRect(QRectF(QPointF(0, 0), m_layout.pageSize), Qt::white);

  drawHeader(out);
  qreal y = m + headerHeight + 12;

  const auto &cliente = m_payload.cliente;
  drawSectionTitle(out, QStringLiteral("Cliente"), y);
  drawFieldGrid(out,
                {{QStringLiteral("Nome fantasia"), displayValue(cliente ? cliente->nomeFantasia : std::nullopt)},
                 {QStringLiteral("Razão social"),
                  displayValue(cliente ? std::optional<QString>(cliente->nomeRazao) : std::nullopt)},
                 {QStringLiteral("CPF"), reportCPF(cliente ? cliente->cpf : std::nullopt)},
                 {QStringLiteral("CNPJ"), reportCNPJ(cliente ? cliente->cnpj : std::nullopt)}},
                y);

  drawSectionTitle(out, QStringLiteral("Endereço"), y);
  const QString address = reportAddress(cliente);
  const qreal addressHeight = std::max<qreal>(42, out.bodyTextHeight(address, W - 16) + 14 + 14);
  out.drawBox(QStringLiteral("Endereço completo"), address, QRectF(m, y, W, addressHeight));
  y += addressHeight + 10;

  const auto &visit = m_payload.atendimento;
  drawSectionTitle(out, QStringLiteral("Dados do Atendimento"), y);
  drawFieldGrid(out,
                {{QStringLiteral("Data da visita"), reportDate(visit.dataVisita)},
                 {QStringLiteral("Data do relatório"), reportDate(visit.dataRelatorio)}},
                y);

  // The report box takes the room left above the signature, so a short
  // report still fills the page; a long one grows and pushes the signature
  // down, off the page if need be.
  drawSectionTitle(out, QStringLiteral("Relatório"), y);
  const qreal lineHeight = reportLineHeight(m_layout.bodyFont, painter.device());
  const qreal signatureRoom = 4 * lineHeight + 14 + 14;
  const QString report = displayValue(visit.relatorio);
  const qreal reportHeight = std::max(std::max<qreal>(120, out.pageHeight() - m - y - signatureRoom - 10),
                                      std::max<qreal>(42, out.bodyTextHeight(report, W - 16) + 14));
  out.drawBox(QString(), report, QRectF(m, y, W, reportHeight));
  y += reportHeight + 10;

  const QString signature = displayValue(m_payload.assinatura);
  const qreal signatureHeight =
      std::max(signatureRoom, std::max<qreal>(42, out.bodyTextHeight(signature, W - 16) + 14 + 14));
  out.drawBox(QStringLiteral("Assinatura"), signature, QRectF(m, y, W, signatureHeight));
}

void AtendimentoExternoPDFDocumentView::drawHeader(ReportPainter &out) const {
  const qreal m = m_layout.margin;
  const qreal W = out.pageWidth() - 2 * m;
  const qreal y0 = m;
  drawLogo(out, QRectF(m, y0 + 2, logoWidth, logoHeight));

  const qreal x = m + logoWidth + 16;
  const qreal titleWidth = W - logoWidth - 16;
  out.drawText(QStringLiteral("Relatório de Atendimento"), m_layout.titleFont, reportcolors::label,
               QRectF(x, y0 + 6, titleWidth, 24), Qt::AlignHCenter);
  out.drawText(QStringLiteral("Tolva"), m_layout.subtitleFont, reportcolors::secondaryLabel,
               QRectF(x, y0 + 32, titleWidth, 14), Qt::AlignHCenter);
  out.drawText(QStringLiteral("Gerado em ") + reportDateTime(m_generatedAt), m_layout.smallFont,
               reportcolors::secondaryLabel, QRectF(x, y0 + 48, titleWidth, 14), Qt::AlignHCenter);

  QPainter &painter = out.painter();
  painter.setPen(QPen(reportcolors::grey(0.82), 0.8));
  painter.drawLine(QPointF(m, y0 + 66), QPointF(m + W, y0 + 66));
}

void AtendimentoExternoPDFDocumentView::drawLogo(ReportPainter &out, const QRectF &box) const {
  if (m_logo.isNull()) {
    QColor tint = reportcolors::green;
    tint.setAlphaF(0.12f);
    out.fillRoundedRect(box, 8, tint);
    out.drawText(QStringLiteral("Varnel"), m_layout.sectionFont, reportcolors::green, box.adjusted(6, 20, -6, -20),
                 Qt::AlignHCenter);
    return;
  }
  if (m_logo.width() <= 0 || m_logo.height() <= 0)
    return;
  const qreal scale = std::min(box.width() / m_logo.width(), box.height() / m_logo.height());
  QRectF target(0, 0, m_logo.width() * scale, m_logo.height() * scale);
  target.moveCenter(box.center());
  QPainter &painter = out.painter();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, m_logo);
}

void AtendimentoExternoPDFDocumentView::drawSectionTitle(ReportPainter &out, const QString &text, qreal &y) const {
  const qreal m = m_layout.margin;
  const qreal W = out.pageWidth() - 2 * m;
  if (y < out.pageHeight()) {
    const QRectF band(m, y, W, 20);
    out.fillRoundedRect(band, 4, QColor::fromRgbF(0.91f, 0.95f, 0.91f));
    out.drawText(text, m_layout.sectionFont, reportcolors::label, band.adjusted(8, 4, -8, -4));
  }
  y += 26;
}

void AtendimentoExternoPDFDocumentView::drawFieldGrid(ReportPainter &out, const QList<Field> &fields, qreal &y) const {
  const qreal m = m_layout.margin;
  const qreal W = out.pageWidth() - 2 * m;
  const qreal column = (W - 12) / 2;
  const auto fieldHeight = [&](const Field &field) {
    return std::max<qreal>(42, out.bodyTextHeight(displayValue(field.value), column - 16) +
                                   (field.label.isEmpty() ? 0 : 14) + 14);
  };
  for (qsizetype i = 0; i < fields.size(); i += 2) {
    const Field &first = fields.at(i);
    const Field *second = i + 1 < fields.size() ? &fields.at(i + 1) : nullptr;
    const qreal rowHeight = std::max(fieldHeight(first), second ? fieldHeight(*second) : 0);
    out.drawBox(first.label, first.value, QRectF(m, y, column, rowHeight));
    if (second)
      out.drawBox(second->label, second->value, QRectF(m + column + 12, y, column, rowHeight));
    y += rowHeight + 8;
  }
  y += 2;
}

} // namespace varnel
