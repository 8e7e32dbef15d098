// The update checker: reading the feed, comparing versions, and turning
// every failure into a reason the dialog can show.

#include "platform/UpdateChecker.h"
#include "app/AppUpdater.h"
#include "platform/Appcast.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

const QByteArray feed = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Varnel</title>
    <item>
      <title>Varnel 0.2.0</title>
      <link>https://varnel.example/releases/0.2.0</link>
      <enclosure url="https://varnel.example/varnel-0.2.0.tar.gz" sparkle:version="0.2.0" length="1" type="application/octet-stream"/>
    </item>
    <item>
      <title>Varnel 0.10.1</title>
      <sparkle:version>0.10.1</sparkle:version>
      <sparkle:shortVersionString>0.10.1 (março)</sparkle:shortVersionString>
      <enclosure url="https://varnel.example/varnel-0.10.1.tar.gz"/>
    </item>
    <item>
      <title>Not a web link</title>
      <sparkle:version>9.0</sparkle:version>
      <link>javascript:alert(1)</link>
      <enclosure url="file:///etc/passwd"/>
    </item>
    <item><title>No version</title><link>https://varnel.example/x</link></item>
  </channel>
</rss>)";

TEST(Appcast, ReadsItemsWithAVersionAndAWebLinkOnly) {
  const auto items = parseAppcast(feed);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].version, QStringLiteral("0.2.0"));
  EXPECT_EQ(items[0].downloadUrl, QUrl(QStringLiteral("https://varnel.example/releases/0.2.0")));
  EXPECT_EQ(items[1].version, QStringLiteral("0.10.1"));
  EXPECT_EQ(items[1].displayVersion, QStringLiteral("0.10.1 (março)"));
  EXPECT_EQ(items[1].downloadUrl, QUrl(QStringLiteral("https://varnel.example/varnel-0.10.1.tar.gz")));
}

TEST(Appcast, RejectsTextThatIsNotAFeed) {
  EXPECT_THROW(parseAppcast("<rss><channel><item>"), std::runtime_error);
  EXPECT_THROW(parseAppcast("<html><body>Not found</body></html>"), std::runtime_error);
  EXPECT_THROW(parseAppcast(""), std::runtime_error);
}

struct VersionCase {
  const char *a;
  const char *b;
  int expected;
};

class CompareVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(CompareVersions, ComparesNumerically) {
  EXPECT_EQ(compareVersions(QString::fromLatin1(GetParam().a), QString::fromLatin1(GetParam().b)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pairs, CompareVersions,
                         ::testing::Values(VersionCase{"1.10", "1.9", 1}, VersionCase{"1.2", "1.2.0", 0},
                                           VersionCase{"0.1.0", "0.1.1", -1}, VersionCase{"2rc1", "2", 0},
                                           VersionCase{"10", "9.99.99", 1}, VersionCase{"", "0", 0}));

class UpdateCheckerTest : public ::testing::Test {
protected:
  UpdateCheckResult check(const QString &current,
                          const QString &url = QStringLiteral("https://varnel.example/feed.xml")) {
    UpdateChecker checker(transport, url, current);
    return await(checker.check());
  }
  std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
};

TEST_F(UpdateCheckerTest, OffersTheNewestHigherVersion) {
  transport->reply(200, feed);
  const auto result = check(QStringLiteral("0.1.0"));
  ASSERT_TRUE(std::holds_alternative<UpdateAvailable>(result));
  EXPECT_EQ(std::get<UpdateAvailable>(result).item.version, QStringLiteral("0.10.1"));
  EXPECT_EQ(transport->last().method, QByteArray("GET"));
  EXPECT_EQ(transport->last().url, QByteArray("https://varnel.example/feed.xml"));
}

TEST_F(UpdateCheckerTest, SaysUpToDateWhenNothingIsNewer) {
  transport->reply(200, feed);
  EXPECT_TRUE(std::holds_alternative<UpToDate>(check(QStringLiteral("0.10.1"))));
}

TEST_F(UpdateCheckerTest, FollowsARedirect) {
  HttpHeaders moved;
  moved.set("Location", "/v2/feed.xml");
  transport->reply(302, {}, moved);
  transport->reply(200, feed);
  EXPECT_TRUE(std::holds_alternative<UpdateAvailable>(check(QStringLiteral("0.1.0"))));
  EXPECT_EQ(transport->last().url, QByteArray("https://varnel.example/v2/feed.xml"));
}

struct FailingCase {
  const char *name;
  std::function<void(ScriptedTransport &)> arrange;
  QString reason;
};

class UpdateCheckFailures : public UpdateCheckerTest, public ::testing::WithParamInterface<FailingCase> {};

TEST_P(UpdateCheckFailures, ComeBackAsAReason) {
  GetParam().arrange(*transport);
  const auto result = check(QStringLiteral("0.1.0"));
  ASSERT_TRUE(std::holds_alternative<UpdateCheckFailed>(result));
  EXPECT_TRUE(std::get<UpdateCheckFailed>(result).reason.contains(GetParam().reason))
      << std::get<UpdateCheckFailed>(result).reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Reasons, UpdateCheckFailures,
                         ::testing::Values(FailingCase{"NoNetwork",
                                                       [](ScriptedTransport &t) {
                                                         t.failWith(QStringLiteral("Host varnel.example not found"));
                                                       },
                                                       QStringLiteral("Host varnel.example not found")},
                                           FailingCase{"NotFound", [](ScriptedTransport &t) { t.reply(404, "nope"); },
                                                       QStringLiteral("status 404")},
                                           FailingCase{"NotAFeed",
                                                       [](ScriptedTransport &t) { t.reply(200, "<html></html>"); },
                                                       QStringLiteral("Não foi possível ler o feed")}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(UpdateCheckerTest, WithoutAFeedNothingIsAsked) {
  const auto result = check(QStringLiteral("0.1.0"), QString());
  ASSERT_TRUE(std::holds_alternative<UpdateCheckFailed>(result));
  EXPECT_TRUE(transport->requests().isEmpty());
}

TEST(AppUpdaterTexts, TellTheUserWhatWasFound) {
  AppcastItem item{QStringLiteral("0.2.0"), QStringLiteral("0.2"), QUrl(QStringLiteral("https://x.example")), {}};
  EXPECT_EQ(AppUpdater::resultText(UpdateAvailable{item}, QStringLiteral("0.1.0")),
            QStringLiteral("O Varnel 0.2 está disponível. Você tem a versão 0.1.0."));
  EXPECT_EQ(AppUpdater::resultText(UpToDate{}, QStringLiteral("0.1.0")),
            QStringLiteral("Você já tem a versão mais recente do Varnel (0.1.0)."));
  EXPECT_EQ(AppUpdater::resultText(UpdateCheckFailed{QStringLiteral("sem rede")}, QStringLiteral("0.1.0")),
            QStringLiteral("Não foi possível verificar se há atualizações.\nsem rede"));
}

} // namespace
