#include "reports/AtendimentoExternoPDFImagesPageView.h"

#include "reports/ReportPainter.h"
#include "reports/ReportValues.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace varnel {

namespace {
constexpr int slotCount = 4;
constexpr qreal slotGap = 8;
constexpr qreal slotInset = 8.5;
} // namespace

QImage coverImageForSlot(const QImage &image, const QSizeF &slotSize, qreal maxDpi) {
  if (image.isNull() || slotSize.isEmpty())
    return {};
  QImage source = image;
  if (source.depth() != 32)
    source =
        source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);

  // The centred region of the source that covers the slot.
  const qreal scale = std::max(slotSize.width() / source.width(), slotSize.height() / source.height());
  const qreal visibleWidth = std::min<qreal>(source.width(), slotSize.width() / scale);
  const qreal visibleHeight = std::min<qreal>(source.height(), slotSize.height() / scale);
  const int cropWidth = std::max(1, int(std::lround(visibleWidth)));
  const int cropHeight = std::max(1, int(std::lround(visibleHeight)));
  const int left = (source.width() - cropWidth) / 2;
  const int top = (source.height() - cropHeight) / 2;

  // A view into the source's pixels, so the crop costs no copy.
  const QImage cropped(source.constScanLine(top) + qsizetype(left) * 4, cropWidth, cropHeight, source.bytesPerLine(),
                       source.format());

  const int targetWidth = int(std::ceil(slotSize.width() / 72.0 * maxDpi));
  const int targetHeight = int(std::ceil(slotSize.height() / 72.0 * maxDpi));
  QImage resampled = (cropWidth > targetWidth || cropHeight > targetHeight)
                         ? cropped.scaled(std::min(cropWidth, targetWidth), std::min(cropHeight, targetHeight),
                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         : cropped.copy();

  if (resampled.hasAlphaChannel()) {
    // The slot is white underneath; flattening here lets the PDF keep the
    // image as an opaque, well-compressed picture.
    QImage flat(resampled.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, resampled);
    painter.end();
    return flat;
  }
  return resampled.convertToFormat(QImage::Format_RGB32);
}

AtendimentoExternoPDFImagesPageView::AtendimentoExternoPDFImagesPageView(const QList<QImage> &images,
                                                                         std::optional<QString> observacoes,
                                                                         const ReportLayout &layout)
    : m_images(images), m_observacoes(std::move(observacoes)), m_layout(layout) {}

void AtendimentoExternoPDFImagesPageView::draw(QPainter &painter) const {
  ReportPainter out(painter, m_layout);
  const qreal m = m_layout.margin;
  const qreal W = out.pageWidth() - 2 * m;
  painter.fillRect(QRectF(QPointF(0, 0), m_layout.pageSize), Qt::white);
  qreal y = m;

  if (!m_images.isEmpty()) {
    const qreal side = (W - slotGap) / 2;
    for (int i = 0; i < slotCount; ++i) {
      const int column = i % 2;
      const int row = i / 2;
      const QRectF slot(m + column * (side + slotGap), y + row * (side + slotGap), side, side);
      out.fillAndStrokeRoundedRect(slot, 10, reportcolors::grey(0.98), reportcolors::grey(0.86), 1);
      if (i >= m_images.size())
        continue;
      const QImage &image = m_images.at(i);
      if (image.width() <= 0 || image.height() <= 0)
        continue;
      const QRectF inner = slot.adjusted(slotInset, slotInset, -slotInset, -slotInset);
      QPainterPath rounded;
      rounded.addRoundedRect(inner, 8, 8);
      out.fillRoundedRect(inner, 8, Qt::white);
      painter.save();
      painter.setClipPath(rounded);
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawImage(inner, coverImageForSlot(image, inner.size()));
      painter.restore();
    }
    y += 2 * side + slotGap + 10;
  }

  const QString notes = displayValue(m_observacoes);
  const qreal height = std::max(std::max<qreal>(out.pageHeight() - m - y, 54),
                                std::max<qreal>(out.bodyTextHeight(notes, W - 16) + 14 + 14, 42));
  out.drawBox(QStringLiteral("Observações das Imagens"), notes, QRectF(m, y, W, height));
}

} // namespace varnel
