#include "TestBackend.h"

#include "repositories/ProfileRepository.h"
#include "repositories/ResponsavelPeloAtendimentoRepository.h"

using namespace varnel;
using namespace varnel::test;

namespace {

const QUuid kUser = QUuid::fromString(kUserId);
const QByteArray kUserUpper = kUserId.toUpper().toLatin1();

class PeopleRepositoryTest : public ScriptedBackend {
protected:
  ResponsavelPeloAtendimentoRepository responsaveis{client};
  ProfileRepository profiles{client};
};

} // namespace

TEST(DisplayName, IsMadeFromTheLocalPartOfTheEmail) {
  const std::pair<std::optional<QString>, const char *> cases[] = {
      {QStringLiteral("first.second_third@x.com"), "First Second Third"},
      {QStringLiteral("alpha-beta@x.com"), "Alpha Beta"},
      {QStringLiteral("joão..silva@x"), "João Silva"},
      {QStringLiteral("@@x.com"), "X Com"},
      {QStringLiteral("@"), "@"},
      {QStringLiteral("._-@x"), "Veterinário"},
      {QStringLiteral(""), "Veterinário"},
      {std::nullopt, "Veterinário"},
  };
  for (const auto &[email, name] : cases)
    EXPECT_EQ(ResponsavelPeloAtendimentoRepository::displayName(email), QString::fromUtf8(name))
        << (email ? email->toStdString() : "none");
}

TEST_F(PeopleRepositoryTest, EnsureForUserCreatesTheMissingEntryFromTheNormalisedEmail) {
  transport->reply(200, "[]");
  const auto created = await(responsaveis.ensureForUser(kUser, QStringLiteral("  ALPHA-BETA@X.com \n")));
  ASSERT_EQ(transport->requests().size(), 2);
  EXPECT_EQ(queryItems(transport->requests()[0]),
            (QList<QPair<QString, QString>>{{"select", "*"}, {"order", "nome.asc.nullslast"}}));
  EXPECT_EQ(transport->last().method, "POST");
  EXPECT_EQ(transport->last().body,
            R"({"id":")" + kUserUpper + R"(","nome":"Alpha Beta","email":"alpha-beta@x.com","role":"veterinario"})");
  EXPECT_EQ(created.nome, QStringLiteral("Alpha Beta"));
  EXPECT_EQ(created.email, QStringLiteral("alpha-beta@x.com"));

  transport->clear();
  transport->reply(200, "[]");
  await(responsaveis.ensureForUser(kUser, std::nullopt));
  EXPECT_EQ(transport->last().body, R"({"id":")" + kUserUpper + R"(","nome":"Veterinário","role":"veterinario"})");
}

TEST_F(PeopleRepositoryTest, ExistingEntriesAreReturnedAndNeverRewritten) {
  const QByteArray stored =
      R"([{"id":"00000000-0000-4000-8000-000000000009","nome":"Outro"},
    {"id":")" +
      kUserId.toLatin1() +
      R"(","nome":"Dra. Ana","email":"ana@x.com","role":"administrador","assinatura_path":"s.png"}])";
  transport->reply(200, stored);
  const auto found = await(responsaveis.ensureForUser(kUser, QStringLiteral("outra@x.com")));
  EXPECT_EQ(transport->requests().size(), 1);
  EXPECT_EQ(found.nome, QStringLiteral("Dra. Ana"));
  EXPECT_EQ(found.assinaturaPath, QStringLiteral("s.png"));

  transport->reply(200, stored);
  ResponsavelPeloAtendimento different{kUser, QStringLiteral("Novo Nome"), {}, {}, {}, {}};
  await(responsaveis.createIfMissing(different));
  EXPECT_EQ(transport->requests().size(), 2);
  EXPECT_EQ(transport->last().method, "GET");
}

TEST_F(PeopleRepositoryTest, ResponsibleWritesCarryTheirKeys) {
  ResponsavelPeloAtendimento r{kUser,
                               QStringLiteral("Ana"),
                               QStringLiteral("ana@x.com"),
                               QStringLiteral("Campinas"),
                               QStringLiteral("veterinario"),
                               QStringLiteral("assinaturas/ana.png")};
  transport->reply(200, "[]");
  await(responsaveis.createIfMissing(r));
  EXPECT_EQ(keysOf(bodyOf(transport->last())),
            (std::vector<std::string>{"id", "nome", "email", "cidade", "role", "assinatura_path"}));

  await(responsaveis.update(r));
  EXPECT_EQ(transport->last().method, "PATCH");
  EXPECT_EQ(queryItems(transport->last()), (QList<QPair<QString, QString>>{{"id", "eq." + kUserId.toUpper()}}));
  EXPECT_EQ(transport->last().body, R"({"nome":"Ana","email":"ana@x.com","cidade":"Campinas","role":"veterinario"})");
}

TEST_F(PeopleRepositoryTest, ProfileFetchReadsAListAndTakesTheFirstRow) {
  transport->reply(200, "[]");
  EXPECT_FALSE(await(profiles.fetch(kUser)));
  EXPECT_EQ(queryItems(transport->last()),
            (QList<QPair<QString, QString>>{{"select", "*"}, {"user_id", "eq." + kUserId.toUpper()}}));
  EXPECT_FALSE(transport->last().headers.value("Accept").value_or("").contains("object"));

  transport->reply(200, R"([{"user_id":")" + kUserId.toLatin1() + R"(","nome":"Primeiro"},
                            {"user_id":")" +
                            kUserId.toLatin1() + R"(","nome":"Segundo"}])");
  EXPECT_EQ(await(profiles.fetch(kUser))->nome, QStringLiteral("Primeiro"));

  await(profiles.list());
  EXPECT_EQ(queryItems(transport->last()),
            (QList<QPair<QString, QString>>{{"select", "*"}, {"order", "nome.asc.nullslast"}}));
}

TEST_F(PeopleRepositoryTest, ProfileSaveInsertsOrPatchesByUserId) {
  Profile p;
  p.userId = kUser;
  p.nome = QStringLiteral("Ana");
  p.role = QStringLiteral("veterinario");
  p.createdAt = QDateTime::currentDateTimeUtc();

  transport->reply(200, "[]");
  await(profiles.save(p));
  EXPECT_EQ(transport->last().method, "POST");
  EXPECT_EQ(transport->last().body, R"({"user_id":")" + kUserUpper + R"(","nome":"Ana","role":"veterinario"})");

  transport->reply(200, R"([{"user_id":")" + kUserId.toLatin1() + R"("}])");
  await(profiles.save(p));
  EXPECT_EQ(transport->last().method, "PATCH");
  EXPECT_EQ(queryItems(transport->last()), (QList<QPair<QString, QString>>{{"user_id", "eq." + kUserId.toUpper()}}));
  EXPECT_EQ(transport->last().body, R"({"nome":"Ana","role":"veterinario"})");

  await(profiles.update(Profile{kUser, {}, {}, {}, {}, {}, {}, {}}));
  EXPECT_EQ(transport->last().body, "{}");

  // A failed existence check writes nothing.
  transport->clear();
  transport->reply(500, R"({"message":"boom"})");
  EXPECT_THROW(await(profiles.save(p)), BackendError);
  EXPECT_EQ(transport->requests().size(), 1);
}
