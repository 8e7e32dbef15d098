#pragma once
// The second report page: a grid of up to four images and the notes on them.

#include "reports/ReportLayout.h"

#include <QImage>
#include <QList>
#include <QSizeF>

#include <optional>

class QPainter;

namespace varnel {

// The region of the image that a slot of slotSize points shows when the image is
// scaled to cover the slot and centred, resampled to at most maxDpi of the
// slot and flattened onto white. Drawing the result over the whole slot
// looks the same as drawing the full image, at a fraction of the file size.
// A null image gives a null image.
QImage coverImageForSlot(const QImage &image, const QSizeF &slotSize, qreal maxDpi = 300);

class AtendimentoExternoPDFImagesPageView {
public:
  AtendimentoExternoPDFImagesPageView(const QList<QImage> &images, std::optional<QString> observacoes,
                                      const ReportLayout &layout);

  void draw(QPainter &painter) const;

private:
  const QList<QImage> &m_images;
  std::optional<QString> m_observacoes;
  const ReportLayout &m_layout;
};

} // namespace varnel
