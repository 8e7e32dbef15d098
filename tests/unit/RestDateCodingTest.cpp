#include "model/RestDateCoding.h"
#include "backend/InMemoryAuthLocalStorage.h"
#include "base/Errors.h"
#include "model/Classificacao.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace varnel;

struct DateCase {
  const char *text;
  const char *utc; // expected instant as ISO with milliseconds in UTC
};

class RestDateDecoding : public ::testing::TestWithParam<DateCase> {};

TEST_P(RestDateDecoding, AcceptsInternetDateTimes) {
  const QDateTime value = restdate::decode(GetParam().text);
  EXPECT_EQ(value.toUTC().toString(Qt::ISODateWithMs), QString::fromLatin1(GetParam().utc)) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Formats, RestDateDecoding,
                         ::testing::Values(DateCase{"2025-03-07T14:05:09.123456+00:00", "2025-03-07T14:05:09.123Z"},
                                           DateCase{"2025-03-07T14:05:09Z", "2025-03-07T14:05:09.000Z"},
                                           DateCase{"2025-03-07T11:05:09.5-03:00", "2025-03-07T14:05:09.500Z"},
                                           DateCase{"2025-03-07T23:30:00+0530", "2025-03-07T18:00:00.000Z"},
                                           DateCase{"2024-02-29T00:00:00.000Z", "2024-02-29T00:00:00.000Z"},
                                           DateCase{"1969-12-31T23:59:59.999Z", "1969-12-31T23:59:59.999Z"}));

TEST(RestDateDecoding, PlainDateIsLocalMidnight) {
  const QDateTime value = restdate::decode("2025-03-07");
  EXPECT_EQ(value.timeSpec(), Qt::LocalTime);
  EXPECT_EQ(value.date(), QDate(2025, 3, 7));
  EXPECT_EQ(value.time(), QTime(0, 0));
}

TEST(RestDateDecoding, RejectsOtherTextsWithTheirOwnText) {
  for (const char *text : {"07/03/2025", "2025-02-30", "2025-03-07T25:00:00Z", "2025-03-07T14:05:09",
                           "2025-03-07T14:05:09.Z", "2025-03-07 ", "", "2025-03-07T14:05:09Zjunk"}) {
    try {
      restdate::decode(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const DecodingError &e) {
      EXPECT_EQ(e.description(), QStringLiteral("Formato de data inválido: ") + QString::fromUtf8(text));
    }
  }
}

TEST(RestDateDecoding, NonStringDatesFailOnlyWhenRequired) {
  const char *id = R"("id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"x")";
  const auto row = [&](const char *date) { return QByteArray("{") + id + ",\"created_at\":" + date + "}"; };
  EXPECT_THROW(wire::decodeSingle<Classificacao>(row("17")), DecodingError);
  EXPECT_FALSE(wire::decodeSingle<Classificacao>(row("null")).createdAt);
}

TEST(RestDateEncoding, WritesUtcWithThreeFractionDigits) {
  const QDateTime local(QDate(2025, 3, 7), QTime(11, 5, 9, 250), QTimeZone(-3 * 3600));
  EXPECT_EQ(restdate::encode(local), QStringLiteral("2025-03-07T14:05:09.250Z"));
  const QDateTime whole(QDate(2025, 3, 7), QTime(14, 5, 9), Qt::UTC);
  EXPECT_EQ(restdate::encode(whole), QStringLiteral("2025-03-07T14:05:09.000Z"));
}

TEST(InMemoryAuthLocalStorage, StoresReplacesAndRemoves) {
  InMemoryAuthLocalStorage storage;
  EXPECT_FALSE(storage.retrieve(QStringLiteral("never")));
  storage.remove(QStringLiteral("never"));
  storage.store(QStringLiteral("k"), "one");
  storage.store(QStringLiteral("k"), "two");
  EXPECT_EQ(storage.retrieve(QStringLiteral("k")), QByteArray("two"));
  storage.remove(QStringLiteral("k"));
  EXPECT_FALSE(storage.retrieve(QStringLiteral("k")));
}
