#include "reports/AtendimentoExternoPDFService.h"

#include "reports/AtendimentoExternoPDFDocumentView.h"
#include "reports/AtendimentoExternoPDFImagesPageView.h"
#include "reports/ReportFiles.h"
#include "reports/ReportValues.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace varnel {

namespace {

// The report's own logo, else the application icon, from the program's
// resources (":/LogoRelatorio" or ":/images/LogoRelatorio.png", then
// ":/AppIcon" or ":/images/AppIcon.png"); a null image when neither is
// bundled, which draws the placeholder.
QImage reportLogo() {
  for (const char *name : {":/LogoRelatorio", ":/images/LogoRelatorio.png", ":/AppIcon", ":/images/AppIcon.png"}) {
    QImage image(QString::fromLatin1(name));
    if (!image.isNull())
      return image;
  }
  return {};
}

} // namespace

AtendimentoExternoPDFService::AtendimentoExternoPDFService() : m_layout(ReportLayout::standard()) {}

QByteArray AtendimentoExternoPDFService::render(const AtendimentoExternoPDFPayload &payload,
                                                const QDateTime &generatedAt) const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    // One device unit per PDF point, the origin at the page's top left.
    writer.setResolution(72);
    writer.setPageLayout(
        QPageLayout(QPageSize(m_layout.pageSize, QPageSize::Point), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setCreator(QStringLiteral("Varnel"));
    writer.setTitle(QStringLiteral("Relatório de Atendimento"));

    QPainter painter;
    if (!painter.begin(&writer))
      throw ReportWriteError(QStringLiteral("Não foi possível desenhar o relatório em PDF."));
    painter.setRenderHint(QPainter::Antialiasing);
    AtendimentoExternoPDFDocumentView(payload, m_layout, generatedAt, reportLogo()).draw(painter);
    if (needsImagesPage(payload)) {
      writer.newPage();
      AtendimentoExternoPDFImagesPageView(payload.imagens, payload.atendimento.imagensObservacoes, m_layout)
          .draw(painter);
    }
    painter.end();
  }
  return bytes;
}

QString AtendimentoExternoPDFService::generate(const AtendimentoExternoPDFPayload &payload) const {
  const QByteArray bytes = render(payload, QDateTime::currentDateTime());
  return writeFileAtomically(privateReportDirectory(), reportFileName(payload), bytes);
}

} // namespace varnel
