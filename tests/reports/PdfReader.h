#pragma once
// Reads a written PDF back through poppler: pages, sizes, words with their
// boxes, and the rendered pixels.

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>

namespace Poppler {
class Document;
}

struct PdfWord {
  QString text;
  QRectF box; // points, origin top left
};

class PdfReader {
public:
  explicit PdfReader(const QString &path);
  ~PdfReader();

  bool isOpen() const { return m_document != nullptr; }
  int pageCount() const;
  QSizeF pageSize(int page) const;
  QList<PdfWord> words(int page) const;
  // Every word of the page, in reading order, joined by blanks.
  QString text(int page) const;
  // The box around the first run of words that spells phrase and starts
  // lower than the given top.
  std::optional<QRectF> find(int page, const QString &phrase, qreal below = -1) const;
  // The page rendered at one pixel per point.
  QImage render(int page) const;

private:
  std::unique_ptr<Poppler::Document> m_document;
};
