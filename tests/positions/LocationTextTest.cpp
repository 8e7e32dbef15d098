#include "model/LocationText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using varnel::Coordinate;
using varnel::parseLocation;
using varnel::pointText;

namespace {

struct ReadCase {
  const char *name;
  std::optional<QString> text;
  std::optional<Coordinate> expected; // {latitude, longitude}
};

class ReadLocation : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadLocation, Reads) {
  const auto &c = GetParam();
  const std::optional<Coordinate> got = parseLocation(c.text);
  ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.text.value_or(QStringLiteral("<absent>")).toStdString();
  if (got) {
    EXPECT_EQ(got->latitude, c.expected->latitude);
    EXPECT_EQ(got->longitude, c.expected->longitude);
  }
}

const Coordinate kSaoPaulo{-23.55052, -46.633308};
const Coordinate kPoint{-23.5, -46.6};

// Hexadecimal (extended) well-known-binary points of longitude -46.6, latitude -23.5.
const QString kLittleEndianSrid = QStringLiteral("0101000020E6100000CDCCCCCCCC4C47C000000000008037C0");
const QString kLittleEndian = QStringLiteral("0101000000CDCCCCCCCC4C47C000000000008037C0");
const QString kBigEndianSrid = QStringLiteral("0020000001000010e6c0474ccccccccccdc037800000000000");
const QString kBigEndian = QStringLiteral("0000000001c0474ccccccccccdc037800000000000");

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadLocation,
    ::testing::Values(
        // Well-known text and the looser forms people and other clients write.
        ReadCase{"Wkt", QStringLiteral("POINT(-46.633308 -23.55052)"), kSaoPaulo},
        ReadCase{"SurroundingSpacesAndLineBreaks", QStringLiteral(" \n\t POINT(-46.633308 -23.55052)\r\n "), kSaoPaulo},
        ReadCase{"LowerCase", QStringLiteral("point(-46.633308 -23.55052)"), kSaoPaulo},
        ReadCase{"NumbersOnly", QStringLiteral("-46.633308 -23.55052"), kSaoPaulo},
        ReadCase{"SpaceInsideWkt", QStringLiteral("POINT ( -46.633308   -23.55052 )"), kSaoPaulo},
        ReadCase{"ExponentAndPlusSign", QStringLiteral("POINT(5e-05 +1.5E1)"), Coordinate{15, 5e-05}},
        ReadCase{"LeadingDecimalPoint", QStringLiteral("POINT(-.5 .25)"), Coordinate{0.25, -0.5}},
        ReadCase{"ExtraNumbersIgnored", QStringLiteral("POINT Z(1 2 3)"), Coordinate{2, 1}},
        // The SRID is the first number and fails the longitude bound.
        ReadCase{"SridPrefix", QStringLiteral("SRID=4326;POINT(-46.6 -23.5)"), std::nullopt},
        // Bounds are inclusive.
        ReadCase{"LongitudeOutOfBounds", QStringLiteral("POINT(200 10)"), std::nullopt},
        ReadCase{"LatitudeOutOfBounds", QStringLiteral("POINT(10 95)"), std::nullopt},
        ReadCase{"JustPastTheBound", QStringLiteral("POINT(180.000001 0)"), std::nullopt},
        ReadCase{"OnTheBounds", QStringLiteral("POINT(-180 90)"), Coordinate{90, -180}},
        ReadCase{"OnTheOtherBounds", QStringLiteral("POINT(180 -90)"), Coordinate{-90, 180}},
        ReadCase{"OneNumber", QStringLiteral("POINT(5)"), std::nullopt},
        ReadCase{"NoNumbers", QStringLiteral("POINT EMPTY"), std::nullopt},
        ReadCase{"Absent", std::nullopt, std::nullopt}, ReadCase{"Empty", QString(), std::nullopt},
        ReadCase{"OnlyWhiteSpace", QStringLiteral(" \n\t "), std::nullopt},
        // Binary points in both byte orders, with and without SRID; hex digits in either case.
        ReadCase{"EwkbLittleEndianSrid", kLittleEndianSrid, kPoint}, ReadCase{"WkbLittleEndian", kLittleEndian, kPoint},
        ReadCase{"EwkbBigEndianSrid", kBigEndianSrid, kPoint}, ReadCase{"WkbBigEndian", kBigEndian, kPoint},
        ReadCase{"EwkbLowerCaseWithLineBreak", kLittleEndianSrid.toLower() + QLatin1Char('\n'), kPoint},
        // Doubles 1000 and 2000: out of bounds, so the digits are read as numbers
        // instead, and the first run of digits is far out of bounds.
        ReadCase{"BinaryOutOfBoundsFallsBack", QStringLiteral("01010000000000000000408f400000000000409f40"),
                 std::nullopt},
        // Doubles that are NaN fail the bounds; the number extraction then
        // finds 1e1 and 2e1 in the same text.
        ReadCase{"BinaryNaNFallsBackToNumbers", QStringLiteral("1e1a2e1aaa7fffffffffffffff7fffffffffffffff"),
                 Coordinate{20, 10}},
        // The SRID flag moves the coordinates to byte 9; 21 bytes then end
        // inside them, so the binary form does not apply.
        ReadCase{"SridFlagPastTheEnd", QStringLiteral("0101000020CDCCCCCCCC4C47C000000000008037C0"), std::nullopt},
        // Odd length or a non-hex character: no binary form, and the digit
        // runs are out of bounds.
        ReadCase{"OddLength", kLittleEndian + QLatin1Char('0'), std::nullopt},
        ReadCase{"NonHex", QStringLiteral("0101000000CDCCCCCCCC4C47C000000000008037CG"), std::nullopt},
        // Too short for a point (20 bytes): read as numbers.
        ReadCase{"TooShortForBinary", QStringLiteral("0000000000000000000000000000000000000001"), std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PointText, WritesLongitudeFirstInTheShortestForm) {
  EXPECT_EQ(pointText(kSaoPaulo), QStringLiteral("POINT(-46.633308 -23.55052)"));
  EXPECT_EQ(pointText(Coordinate{-23, -47}), QStringLiteral("POINT(-47.0 -23.0)"));
  EXPECT_EQ(pointText(Coordinate{-0.0001, 5e-05}), QStringLiteral("POINT(5e-05 -0.0001)"));
}

TEST(PointText, ReadsBackToTheSameDoubles) {
  const Coordinate coordinates[] = {kSaoPaulo,
                                    {0, 0},
                                    {90, 180},
                                    {-90, -180},
                                    {1e-7, -3.0000000000000004},
                                    {0.1 + 0.2, 1.0 / 3.0},
                                    {-22.9, -47.06},
                                    {std::nextafter(90.0, 0.0), std::numeric_limits<double>::denorm_min()}};
  for (const Coordinate &c : coordinates) {
    const QString text = pointText(c);
    const auto back = parseLocation(text);
    ASSERT_TRUE(back) << text.toStdString();
    EXPECT_EQ(*back, c) << text.toStdString();
  }
}

} // namespace
