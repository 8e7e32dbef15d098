#include "reports/AtendimentoExternoPDFImagesPageView.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace varnel;

namespace {

// The inner side of one image slot on the page, in points.
constexpr qreal innerSide = (595.28 - 2 * 28.35 - 8) / 2 - 17;

TEST(CoverImageForSlot, DownscalesLargePhotosToThreeHundredDpiOfTheSlot) {
  QImage photo(4000, 3000, QImage::Format_RGB32);
  photo.fill(Qt::darkGreen);
  const QImage prepared = coverImageForSlot(photo, QSizeF(innerSide, innerSide));
  const int limit = int(std::ceil(innerSide / 72 * 300));
  EXPECT_EQ(prepared.size(), QSize(limit, limit));

  const QImage wide = coverImageForSlot(photo, QSizeF(200, 100));
  EXPECT_EQ(wide.size(), QSize(834, 417));
}

TEST(CoverImageForSlot, KeepsTheCentreAndNeverUpscales) {
  // Red, green and blue thirds: covering a square slot shows only the middle.
  QImage stripes(300, 100, QImage::Format_RGB32);
  QPainter painter(&stripes);
  painter.fillRect(0, 0, 100, 100, Qt::red);
  painter.fillRect(100, 0, 100, 100, Qt::green);
  painter.fillRect(200, 0, 100, 100, Qt::blue);
  painter.end();

  const QImage prepared = coverImageForSlot(stripes, QSizeF(innerSide, innerSide));
  EXPECT_EQ(prepared.size(), QSize(100, 100));
  for (const QPoint at : {QPoint(1, 1), QPoint(50, 50), QPoint(98, 98)})
    EXPECT_EQ(prepared.pixelColor(at), QColor(Qt::green)) << at.x() << "," << at.y();
}

TEST(CoverImageForSlot, FlattensTransparencyOntoWhite) {
  QImage image(40, 40, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  const QImage prepared = coverImageForSlot(image, QSizeF(100, 100));
  EXPECT_FALSE(prepared.hasAlphaChannel());
  EXPECT_EQ(prepared.pixelColor(20, 20), QColor(Qt::white));

  EXPECT_TRUE(coverImageForSlot(QImage(), QSizeF(100, 100)).isNull());
}

} // namespace
