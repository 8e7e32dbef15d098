#pragma once
// Renders one visit as a PDF report of one or two A4 pages and writes it to
// the user's private report folder in the temporary directory.

#include "reports/AtendimentoExternoPDFPayload.h"
#include "reports/ReportLayout.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace varnel {

class AtendimentoExternoPDFService {
public:
  AtendimentoExternoPDFService();

  const ReportLayout &layout() const { return m_layout; }

  // Draws the report into PDF bytes: the document page, then the images page
  // when the visit has images or image notes. generatedAt is the stamp in
  // the header.
  QByteArray render(const AtendimentoExternoPDFPayload &payload, const QDateTime &generatedAt) const;

  // Renders the report stamped now and writes it under reportFileName() in
  // privateReportDirectory(), replacing an earlier report of that name.
  // Returns the file's path; throws ReportWriteError when it cannot be written.
  QString generate(const AtendimentoExternoPDFPayload &payload) const;

private:
  ReportLayout m_layout;
};

} // namespace varnel
