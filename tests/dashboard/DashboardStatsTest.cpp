// The dashboard's pure rules: counting visits per responsible, bar lengths,
// the texts made from numbers and the palette.

#include "dashboard/DashboardAtendimentoResponsavelStat.h"
#include "dashboard/DashboardFigures.h"
#include "dashboard/DashboardStyle.h"

#include <QPalette>

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::dashboard;

namespace {

QUuid person(int n) { return QUuid(QStringLiteral("00000000-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0'))); }

ResponsavelPeloAtendimento responsavel(int n, const QString &nome) {
  ResponsavelPeloAtendimento r;
  r.id = person(n);
  r.nome = nome;
  return r;
}

// One visit per entry, for the responsible with that number.
QList<AtendimentoExterno> visitsFor(const QList<int> &people) {
  QList<AtendimentoExterno> visits;
  for (const int n : people)
    visits.push_back(AtendimentoExterno::create(QUuid::createUuid(), person(n)));
  return visits;
}

QList<int> repeated(int n, int times) { return QList<int>(times, n); }

struct StatsCase {
  const char *name;
  QList<ResponsavelPeloAtendimento> responsaveis;
  QList<int> visits;
  QList<DashboardAtendimentoResponsavelStat> expected;
};

class BuildStats : public ::testing::TestWithParam<StatsCase> {};

TEST_P(BuildStats, CountsGroupsAndOrders) {
  const auto &c = GetParam();
  EXPECT_EQ(buildStats(visitsFor(c.visits), c.responsaveis), c.expected);
}

const QString unknown = QStringLiteral("Responsável não identificado");

INSTANTIATE_TEST_SUITE_P(
    Table, BuildStats,
    ::testing::Values(StatsCase{"NoVisits", {responsavel(1, QStringLiteral("Ana"))}, {}, {}},
                      StatsCase{"OneVisit",
                                {responsavel(1, QStringLiteral("Ana")), responsavel(2, QStringLiteral("Bia"))},
                                {1},
                                {{person(1), QStringLiteral("Ana"), 1}}},
                      StatsCase{"EqualCountsByNameIgnoringCase",
                                {responsavel(1, QStringLiteral("bruno")), responsavel(2, QStringLiteral("Ana"))},
                                {1, 2, 1, 2, 1, 2},
                                {{person(2), QStringLiteral("Ana"), 3}, {person(1), QStringLiteral("bruno"), 3}}},
                      StatsCase{"LargestCountFirst",
                                {responsavel(1, QStringLiteral("Ana")), responsavel(2, QStringLiteral("Zeca"))},
                                {1, 2, 2},
                                {{person(2), QStringLiteral("Zeca"), 2}, {person(1), QStringLiteral("Ana"), 1}}},
                      StatsCase{"AccentedNamesInTheirAlphabeticalPlace",
                                {responsavel(1, QStringLiteral("Érica")), responsavel(2, QStringLiteral("Fábio")),
                                 responsavel(3, QStringLiteral("Eduardo"))},
                                {1, 2, 3},
                                {{person(3), QStringLiteral("Eduardo"), 1},
                                 {person(1), QStringLiteral("Érica"), 1},
                                 {person(2), QStringLiteral("Fábio"), 1}}},
                      StatsCase{
                          "UnknownIdentifiersGetARowEach",
                          {responsavel(1, QStringLiteral("Ana"))},
                          {7, 1, 8, 7},
                          {{person(7), unknown, 2}, {person(1), QStringLiteral("Ana"), 1}, {person(8), unknown, 1}}},
                      // A responsible listed twice: no failure, one row, the first name.
                      StatsCase{"DuplicateResponsibleIds",
                                {responsavel(1, QStringLiteral("Ana")), responsavel(1, QStringLiteral("Ana Paula"))},
                                {1, 1},
                                {{person(1), QStringLiteral("Ana"), 2}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BuildStats, NamesCompareInBrazilianPortugueseWhenTheUserHasNoLocale) {
  EXPECT_EQ(nameCollationLocale(QLocale::c()), QLocale(QLocale::Portuguese, QLocale::Brazil));
  EXPECT_EQ(nameCollationLocale(QLocale(QLocale::German, QLocale::Germany)),
            QLocale(QLocale::German, QLocale::Germany));
}

TEST(BuildStats, ElevenResponsiblesGiveElevenRowsAndTheEleventhColourIsBlueAgain) {
  QList<ResponsavelPeloAtendimento> people;
  QList<int> visits;
  for (int n = 0; n < 11; ++n) {
    people.push_back(responsavel(n, QStringLiteral("Pessoa %1").arg(QChar(u'A' + n))));
    visits += repeated(n, 20 - n); // A has the most, K the fewest
  }
  const auto stats = buildStats(visitsFor(visits), people);
  ASSERT_EQ(stats.size(), 11);
  EXPECT_EQ(stats[10].nome, QStringLiteral("Pessoa K"));

  for (const bool dark : {false, true}) {
    QPalette palette;
    palette.setColor(QPalette::Window, dark ? Qt::black : Qt::white);
    palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    const QList<QColor> colors = chartColors(palette);
    ASSERT_EQ(colors.size(), 10);
    EXPECT_EQ(colorAt(colors, 10), colorAt(colors, 0));
    EXPECT_NE(colorAt(colors, 9), colorAt(colors, 0));
    // The first colour is a blue.
    EXPECT_GT(colors[0].blueF(), colors[0].redF() + 0.5);
  }
}

struct BarCase {
  const char *name;
  qint64 quantidade;
  qint64 maximum;
  double areaWidth;
  double expected;
};

class BarWidth : public ::testing::TestWithParam<BarCase> {};

TEST_P(BarWidth, ScalesToTheLargestRowWithAMinimum) {
  const auto &c = GetParam();
  EXPECT_DOUBLE_EQ(barWidth(c.quantidade, c.maximum, c.areaWidth), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, BarWidth,
                         ::testing::Values(BarCase{"LargestFillsTheArea", 1000, 1000, 500, 500},
                                           BarCase{"HalfOfTheLargest", 50, 100, 300, 150},
                                           BarCase{"OneNextToAThousandKeepsEightPoints", 1, 1000, 500, 8},
                                           BarCase{"MaximumZeroGivesTheMinimum", 3, 0, 500, 8},
                                           BarCase{"ZeroCount", 0, 10, 500, 8}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DashboardFigures, TotalAndMaximum) {
  EXPECT_EQ(totalOf({}), 0);
  EXPECT_EQ(maximumOf({}), 1);
  const QList<DashboardAtendimentoResponsavelStat> stats{{person(1), QStringLiteral("A"), 4},
                                                         {person(2), QStringLiteral("B"), 9}};
  EXPECT_EQ(totalOf(stats), 13);
  EXPECT_EQ(maximumOf(stats), 9);
}

struct TextCase {
  const char *name;
  QString actual;
  QString expected;
};

class Texts : public ::testing::TestWithParam<TextCase> {};

TEST_P(Texts, AreWrittenExactly) { EXPECT_EQ(GetParam().actual, GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Table, Texts,
                         ::testing::Values(TextCase{"OneVisit", countText(1) + QLatin1Char(' ') + summaryWord(1),
                                                    QStringLiteral("1 atendimento registrado")},
                                           TextCase{"NoVisits", countText(0) + QLatin1Char(' ') + summaryWord(0),
                                                    QStringLiteral("0 atendimentos registrados")},
                                           TextCase{"ManyVisitsWithoutGrouping",
                                                    countText(1234567) + QLatin1Char(' ') + summaryWord(1234567),
                                                    QStringLiteral("1234567 atendimentos registrados")},
                                           TextCase{"LegendValue", legendValueText(12, 35),
                                                    QStringLiteral("12 (34.3%)")},
                                           TextCase{"ShareWithOneDecimal", shareText(69, 200), QStringLiteral("34.5%")},
                                           TextCase{"ShareRoundsHalfAway", shareText(2, 3), QStringLiteral("66.7%")},
                                           TextCase{"WholeShare", legendValueText(1, 1), QStringLiteral("1 (100.0%)")},
                                           TextCase{"ThirdOfTheTotal", shareText(1, 3), QStringLiteral("33.3%")},
                                           TextCase{"NoTotal", shareText(0, 0), QStringLiteral("0%")}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
