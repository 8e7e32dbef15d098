#include "PdfReader.h"

#include <poppler-qt6.h>

#include <QStringList>

PdfReader::PdfReader(const QString &path) : m_document(Poppler::Document::load(path)) {
  if (m_document && m_document->isLocked())
    m_document.reset();
}

PdfReader::~PdfReader() = default;

int PdfReader::pageCount() const { return m_document ? m_document->numPages() : 0; }

QSizeF PdfReader::pageSize(int page) const { return m_document->page(page)->pageSizeF(); }

QList<PdfWord> PdfReader::words(int page) const {
  QList<PdfWord> out;
  for (const auto &box : m_document->page(page)->textList())
    out.append({box->text(), box->boundingBox()});
  return out;
}

QString PdfReader::text(int page) const {
  QStringList parts;
  for (const PdfWord &word : words(page))
    parts.append(word.text);
  return parts.join(u' ');
}

std::optional<QRectF> PdfReader::find(int page, const QString &phrase, qreal below) const {
  const QStringList wanted = phrase.split(u' ', Qt::SkipEmptyParts);
  const QList<PdfWord> all = words(page);
  for (qsizetype start = 0; start + wanted.size() <= all.size(); ++start) {
    if (all[start].box.top() <= below)
      continue;
    QRectF box;
    bool match = true;
    for (qsizetype i = 0; i < wanted.size() && match; ++i) {
      match = all[start + i].text == wanted[i];
      box = box.isNull() ? all[start + i].box : box.united(all[start + i].box);
    }
    if (match)
      return box;
  }
  return std::nullopt;
}

QImage PdfReader::render(int page) const {
  m_document->setRenderHint(Poppler::Document::Antialiasing, false);
  return m_document->page(page)->renderToImage(72, 72).convertToFormat(QImage::Format_RGB32);
}
