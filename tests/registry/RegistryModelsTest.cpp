// The registry's screen models without widgets: filters, masks, titles,
// the "Salvar" rules, create versus update, failure texts, a failed save
// that reopens the form, and the newest load winning.

#include "HeldTransport.h"

#include "backend/BackendClient.h"
#include "registry/CatalogFormViewModel.h"
#include "registry/CatalogListViewModel.h"
#include "registry/ClienteFormViewModel.h"
#include "registry/ClienteListViewModel.h"
#include "registry/ClientePickerViewModel.h"
#include "registry/DocumentMask.h"
#include "support/ScriptedTransport.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

const QString kIdA = QStringLiteral("AAAAAAAA-0000-4000-8000-000000000001");
const QString kIdB = QStringLiteral("BBBBBBBB-0000-4000-8000-000000000002");

QByteArray catalogRows(const QList<std::pair<QString, QString>> &rows) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto &[id, descricao] : rows)
    list.push_back({{"id", id.toStdString()}, {"descricao", descricao.toStdString()}});
  return QByteArray::fromStdString(list.dump());
}

QByteArray clienteRows(const QList<std::pair<QString, QString>> &rows) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto &[id, nome] : rows)
    list.push_back({{"id", id.toStdString()}, {"nome_razao", nome.toStdString()}});
  return QByteArray::fromStdString(list.dump());
}

CatalogItem catalogItem(const QString &descricao, const QString &id = QUuid::createUuid().toString()) {
  CatalogItem item;
  item.id = QUuid::fromString(id);
  item.descricao = descricao;
  return item;
}

bool waitFor(const std::function<bool()> &condition) {
  QDeadlineTimer deadline(10'000);
  while (!condition()) {
    if (deadline.hasExpired())
      return false;
    QTest::qWait(5);
  }
  return true;
}

struct Scripted {
  std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
  BackendClient client{BackendConfig::make(QStringLiteral("https://abcdefgh.supabase.co"), QStringLiteral("anon")),
                       transport};
};

// ---- Local search ---------------------------------------------------------

struct CatalogFilterCase {
  const char *name;
  QString search;
  QStringList expected;
};

class CatalogFilter : public ::testing::TestWithParam<CatalogFilterCase> {};

TEST_P(CatalogFilter, KeepsMatchingEntriesInOrder) {
  Scripted backend;
  backend.transport->reply(
      200, catalogRows({{kIdA, QStringLiteral("Vacinação")},
                        {kIdB, QStringLiteral("Visita técnica")},
                        {QUuid::createUuid().toString(QUuid::WithoutBraces), QStringLiteral("Vacinacao antiga")}}));
  CatalogListViewModel model(CatalogAccess(ObjetivoRepository(backend.client)), CatalogTexts::objetivos());
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  ASSERT_EQ(model.errorMessage(), std::nullopt);
  model.setSearchText(GetParam().search);
  QStringList shown;
  for (const CatalogItem &item : model.filtered())
    shown << item.descricao;
  EXPECT_EQ(shown, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, CatalogFilter,
    ::testing::Values(
        CatalogFilterCase{
            "Empty",
            QString(),
            {QStringLiteral("Vacinação"), QStringLiteral("Visita técnica"), QStringLiteral("Vacinacao antiga")}},
        CatalogFilterCase{
            "BlanksShowAll",
            QStringLiteral(" \t\n "),
            {QStringLiteral("Vacinação"), QStringLiteral("Visita técnica"), QStringLiteral("Vacinacao antiga")}},
        CatalogFilterCase{"CapitalsAsLower", QStringLiteral("  VISITA "), {QStringLiteral("Visita técnica")}},
        CatalogFilterCase{"AccentAsWritten", QStringLiteral("vacinação"), {QStringLiteral("Vacinação")}},
        CatalogFilterCase{"NoAccentMissesAccented", QStringLiteral("vacinacao"), {QStringLiteral("Vacinacao antiga")}},
        CatalogFilterCase{"NoMatch", QStringLiteral("cirurgia"), {}}),
    [](const auto &info) { return std::string(info.param.name); });

struct ClienteFilterCase {
  const char *name;
  QString query;
  bool matches;
};

class ClienteFilter : public ::testing::TestWithParam<ClienteFilterCase> {};

TEST_P(ClienteFilter, SearchesTheSevenFields) {
  Cliente cliente;
  cliente.nomeRazao = QStringLiteral("Maria José Agropecuária");
  cliente.nomeFantasia = QStringLiteral("Fazenda Boa Vista");
  cliente.cpf = QStringLiteral("12345678909");
  cliente.cnpj = std::nullopt;
  cliente.cidade = QStringLiteral("Uberlândia");
  cliente.email = QStringLiteral("contato@boavista.com.br");
  cliente.codigoExterno = QStringLiteral("EXT-77");
  cliente.telefone = QStringLiteral("3432101234"); // not searched
  cliente.bairro = QStringLiteral("Centro");       // not searched
  const QString query = QString(GetParam().query).trimmed().toLower();
  EXPECT_EQ(ClienteListViewModel::matches(cliente, query), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Registry, ClienteFilter,
                         ::testing::Values(ClienteFilterCase{"LegalNameAnyCase", QStringLiteral("MARIA"), true},
                                           ClienteFilterCase{"AccentNotFolded", QStringLiteral("jose"), false},
                                           ClienteFilterCase{"AccentAsWritten", QStringLiteral("josé"), true},
                                           ClienteFilterCase{"TradeName", QStringLiteral("boa vista"), true},
                                           ClienteFilterCase{"CpfDigits", QStringLiteral("456789"), true},
                                           ClienteFilterCase{"CpfWithPunctuation", QStringLiteral("123.456"), false},
                                           ClienteFilterCase{"City", QStringLiteral("uberlândia"), true},
                                           ClienteFilterCase{"Email", QStringLiteral("@boavista"), true},
                                           ClienteFilterCase{"ExternalCode", QStringLiteral("ext-77"), true},
                                           ClienteFilterCase{"PhoneIsNotSearched", QStringLiteral("3432101234"), false},
                                           ClienteFilterCase{"DistrictIsNotSearched", QStringLiteral("centro"), false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Masks -----------------------------------------------------------------

struct MaskCase {
  const char *name;
  bool cnpj;
  QString typed;
  int cursor; // -1: at the end
  QString text;
  QString digits;
  int expectedCursor; // -1: at the end
};

class Masks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(Masks, GroupDigitsAndKeepTheCaret) {
  const MaskCase &c = GetParam();
  const int cursor = c.cursor < 0 ? static_cast<int>(c.typed.size()) : c.cursor;
  const MaskedEdit edit = c.cnpj ? editCnpj(c.typed, cursor) : editCpf(c.typed, cursor);
  EXPECT_EQ(edit.text, c.text);
  EXPECT_EQ(edit.digits, c.digits);
  EXPECT_EQ(edit.cursor, c.expectedCursor < 0 ? edit.text.size() : c.expectedCursor);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, Masks,
    ::testing::Values(MaskCase{"CpfFull", false, QStringLiteral("12345678909"), -1, QStringLiteral("123.456.789-09"),
                               QStringLiteral("12345678909"), -1},
                      MaskCase{"CpfFourDigitsNoTrailingMark", false, QStringLiteral("1234"), -1,
                               QStringLiteral("123.4"), QStringLiteral("1234"), -1},
                      MaskCase{"CpfThreeDigits", false, QStringLiteral("123"), -1, QStringLiteral("123"),
                               QStringLiteral("123"), -1},
                      MaskCase{"CpfPastedWithPunctuation", false, QStringLiteral("123.456.789-09"), -1,
                               QStringLiteral("123.456.789-09"), QStringLiteral("12345678909"), -1},
                      MaskCase{"CpfTwelfthDigitIgnored", false, QStringLiteral("123.456.789-091"), -1,
                               QStringLiteral("123.456.789-09"), QStringLiteral("12345678909"), -1},
                      MaskCase{"CpfLongPasteKeepsFirstEleven", false, QStringLiteral("98765432100123456"), -1,
                               QStringLiteral("987.654.321-00"), QStringLiteral("98765432100"), -1},
                      MaskCase{"CpfLettersDropped", false, QStringLiteral("12a3b4"), -1, QStringLiteral("123.4"),
                               QStringLiteral("1234"), -1},
                      MaskCase{"CpfOnlyPunctuation", false, QStringLiteral(".-"), -1, QString(), QString(), 0},
                      // A digit typed in the middle: the caret stays right after it.
                      MaskCase{"CpfTypedInTheMiddle", false, QStringLiteral("123.94567"), 5,
                               QStringLiteral("123.945.67"), QStringLiteral("12394567"), 5},
                      // A paste in the middle: the caret goes after the pasted digits.
                      MaskCase{"CpfPastedInTheMiddle", false, QStringLiteral("12.3.4534"), 7,
                               QStringLiteral("123.453.4"), QStringLiteral("1234534"), 6},
                      // A digit deleted before a mark: the caret stays after the digit before it.
                      MaskCase{"CpfDeletedBeforeMark", false, QStringLiteral("12.456"), 2, QStringLiteral("124.56"),
                               QStringLiteral("12456"), 2},
                      MaskCase{"CpfCaretAtStart", false, QStringLiteral("9123.456"), 1, QStringLiteral("912.345.6"),
                               QStringLiteral("9123456"), 1},
                      MaskCase{"CnpjFull", true, QStringLiteral("11222333000181"), -1,
                               QStringLiteral("11.222.333/0001-81"), QStringLiteral("11222333000181"), -1},
                      MaskCase{"CnpjPartial", true, QStringLiteral("112223330"), -1, QStringLiteral("11.222.333/0"),
                               QStringLiteral("112223330"), -1},
                      MaskCase{"CnpjFifteenthDigitIgnored", true, QStringLiteral("11.222.333/0001-819"), -1,
                               QStringLiteral("11.222.333/0001-81"), QStringLiteral("11222333000181"), -1},
                      MaskCase{"OtherNumeralsAreDigits", false, QStringLiteral("١٢٣٤"), -1, QStringLiteral("١٢٣.٤"),
                               QStringLiteral("١٢٣٤"), -1}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Forms -----------------------------------------------------------------

struct CatalogTitleCase {
  const char *name;
  QString descricao;
  QString title;
  bool canSave;
};

class CatalogForm : public ::testing::TestWithParam<CatalogTitleCase> {};

TEST_P(CatalogForm, TitleAndSaveFollowTheDescription) {
  // Typed into a new entry's form.
  CatalogFormViewModel form(CatalogTexts::classificacoes(), std::nullopt);
  EXPECT_EQ(form.title(), QStringLiteral("Nova Classificação"));
  EXPECT_FALSE(form.canSave());
  form.setDescricao(GetParam().descricao);
  EXPECT_EQ(form.title(), GetParam().title);
  EXPECT_EQ(form.canSave(), GetParam().canSave);
  // Saved untrimmed.
  EXPECT_EQ(form.item().descricao, GetParam().descricao);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, CatalogForm,
    ::testing::Values(
        CatalogTitleCase{"FirstCharacter", QStringLiteral("V"), QStringLiteral("Editar Classificação"), true},
        CatalogTitleCase{"OnlyBlanks", QStringLiteral("  \n"), QStringLiteral("Editar Classificação"), false},
        CatalogTitleCase{"BlanksAround", QStringLiteral("  Rotina  "), QStringLiteral("Editar Classificação"), true},
        CatalogTitleCase{"Cleared", QString(), QStringLiteral("Nova Classificação"), false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CatalogFormEditing, ClearingAnExistingEntrySwitchesTheTitleBack) {
  CatalogFormViewModel form(CatalogTexts::objetivos(), catalogItem(QStringLiteral("Rotina"), kIdA));
  EXPECT_EQ(form.title(), QStringLiteral("Editar Objetivo"));
  EXPECT_EQ(form.item().id, QUuid::fromString(kIdA));
  form.setDescricao(QString());
  EXPECT_EQ(form.title(), QStringLiteral("Novo Objetivo"));
  EXPECT_FALSE(form.canSave());
}

struct ClienteTitleCase {
  const char *name;
  QString nome;
  QString title;
  bool canSave;
};

class ClienteFormTitle : public ::testing::TestWithParam<ClienteTitleCase> {};

TEST_P(ClienteFormTitle, FollowsTheTrimmedName) {
  ClienteFormViewModel form(std::nullopt);
  EXPECT_EQ(form.title(), QStringLiteral("Novo Cliente"));
  form.setNomeRazao(GetParam().nome);
  EXPECT_EQ(form.title(), GetParam().title);
  EXPECT_EQ(form.canSave(), GetParam().canSave);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, ClienteFormTitle,
    ::testing::Values(ClienteTitleCase{"Blanks", QStringLiteral("   "), QStringLiteral("Novo Cliente"), false},
                      ClienteTitleCase{"FirstLetter", QStringLiteral(" A"), QStringLiteral("Editar Cliente"), true},
                      ClienteTitleCase{"Empty", QString(), QStringLiteral("Novo Cliente"), false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClienteFormFields, DocumentsClearEachOtherAndTextsStoreAbsentWhenEmpty) {
  ClienteFormViewModel form(std::nullopt);
  form.editCnpj(QStringLiteral("11222333000181"), 14);
  EXPECT_EQ(form.cliente().cnpj, QStringLiteral("11222333000181"));

  // A CPF typed with its marks clears the CNPJ.
  const MaskedEdit cpf = form.editCpf(QStringLiteral("123.456.789-09"), 14);
  EXPECT_EQ(cpf.text, QStringLiteral("123.456.789-09"));
  EXPECT_EQ(form.cliente().cpf, QStringLiteral("12345678909"));
  EXPECT_EQ(form.cliente().cnpj, std::nullopt);
  EXPECT_EQ(form.cnpjText(), QString());

  // A CNPJ typed after it clears the CPF; erasing the CNPJ leaves both absent.
  form.editCnpj(QStringLiteral("1"), 1);
  EXPECT_EQ(form.cliente().cpf, std::nullopt);
  form.editCnpj(QString(), 0);
  EXPECT_EQ(form.cliente().cpf, std::nullopt);
  EXPECT_EQ(form.cliente().cnpj, std::nullopt);

  // Erasing a CPF leaves the CNPJ alone.
  form.editCnpj(QStringLiteral("11"), 2);
  form.editCpf(QStringLiteral("-"), 1);
  EXPECT_EQ(form.cliente().cnpj, QStringLiteral("11"));

  form.setText(ClienteFormViewModel::Field::NomeFantasia, QStringLiteral("Boa Vista"));
  form.setText(ClienteFormViewModel::Field::NomeFantasia, QString());
  EXPECT_EQ(form.cliente().nomeFantasia, std::nullopt);
  form.setText(ClienteFormViewModel::Field::NomeFantasia, QStringLiteral("   "));
  EXPECT_EQ(form.cliente().nomeFantasia, QStringLiteral("   "));
  form.setText(ClienteFormViewModel::Field::Cep, QStringLiteral("38400-000"));
  EXPECT_EQ(form.finished().cep, QStringLiteral("38400-000"));
}

TEST(ClienteFormFields, EditingShowsStoredDocumentsMaskedAndSavesDigits) {
  Cliente stored;
  stored.id = QUuid::fromString(kIdA);
  stored.nomeRazao = QStringLiteral("Ana");
  stored.cpf = QStringLiteral("123.456.789-09"); // written elsewhere with its marks
  ClienteFormViewModel form(stored);
  EXPECT_EQ(form.cpfText(), QStringLiteral("123.456.789-09"));
  EXPECT_EQ(form.finished().cpf, QStringLiteral("12345678909"));
  EXPECT_EQ(form.finished().id, stored.id);
}

// ---- Create or update, failures, mends --------------------------------------

TEST(CatalogListSave, UpdatesKnownEntriesAndCreatesOthers) {
  Scripted backend;
  backend.transport->reply(200, catalogRows({{kIdA, QStringLiteral("Rotina")}}));
  CatalogListViewModel model(CatalogAccess(ClassificacaoRepository(backend.client)), CatalogTexts::classificacoes());
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  ASSERT_EQ(model.allItens().size(), 1);

  struct Case {
    CatalogItem item;
    QByteArray method;
  };
  for (const Case &c : {Case{catalogItem(QStringLiteral("Rotina nova"), kIdA), "PATCH"},
                        Case{catalogItem(QStringLiteral("Outra"), kIdB), "POST"}}) {
    backend.transport->clear();
    model.save(c.item);
    ASSERT_TRUE(waitFor([&] { return backend.transport->requests().size() >= 2 && !model.isLoading(); }));
    EXPECT_EQ(backend.transport->requests().at(0).method, c.method) << c.item.descricao.toStdString();
    EXPECT_TRUE(backend.transport->requests().at(0).url.contains("/rest/v1/classificacao"));
    // The list reloads after the save.
    EXPECT_EQ(backend.transport->requests().at(1).method, "GET");
  }
}

TEST(ClienteListSave, UpdatesKnownCustomersAndCreatesOthers) {
  Scripted backend;
  backend.transport->reply(200, clienteRows({{kIdA, QStringLiteral("Ana")}}));
  ClienteListViewModel model{ClienteRepository(backend.client)};
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  Cliente known;
  known.id = QUuid::fromString(kIdA);
  known.nomeRazao = QStringLiteral("Ana Maria");
  Cliente fresh;
  fresh.id = QUuid::fromString(kIdB);
  fresh.nomeRazao = QStringLiteral("Bruno");
  for (const auto &[cliente, method] : {std::pair{known, QByteArray("PATCH")}, std::pair{fresh, QByteArray("POST")}}) {
    backend.transport->clear();
    model.save(cliente);
    ASSERT_TRUE(waitFor([&] { return backend.transport->requests().size() >= 2 && !model.isLoading(); }));
    EXPECT_EQ(backend.transport->requests().at(0).method, method);
  }
}

struct FailureCase {
  const char *name;
  const char *action; // "load", "save", "delete"
  QString expected;
};

class ClienteFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ClienteFailures, ShowTheirPrefixAndKeepTheList) {
  Scripted backend;
  backend.transport->reply(200, clienteRows({{kIdA, QStringLiteral("Ana")}}));
  ClienteListViewModel model{ClienteRepository(backend.client)};
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  const std::string action = GetParam().action;
  backend.transport->reply(400, R"({"message":"recusado pelo servidor"})");
  if (action == "load") {
    model.load();
  } else if (action == "save") {
    model.save(model.allClientes().first());
  } else {
    model.askDelete(model.allClientes().first());
    model.confirmDelete();
  }
  ASSERT_TRUE(waitFor([&] { return model.errorMessage().has_value() && !model.isLoading(); }));
  EXPECT_EQ(model.errorMessage(), GetParam().expected);
  ASSERT_EQ(model.clientes().size(), 1);
  EXPECT_EQ(model.clientes().first().nomeRazao, QStringLiteral("Ana"));
  // The next load clears the text.
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  EXPECT_EQ(model.errorMessage(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, ClienteFailures,
    ::testing::Values(FailureCase{"Load", "load", QStringLiteral("Erro ao carregar clientes: recusado pelo servidor")},
                      FailureCase{"Save", "save", QStringLiteral("Erro ao salvar: recusado pelo servidor")},
                      FailureCase{"Archive", "delete", QStringLiteral("Erro ao excluir: recusado pelo servidor")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RegistryFailures, CatalogShowsTheBareTextAndPickerItsPrefix) {
  Scripted backend;
  backend.transport->failWith(QStringLiteral("sem rede"));
  CatalogListViewModel catalog(CatalogAccess(ObjetivoRepository(backend.client)), CatalogTexts::objetivos());
  catalog.load();
  ASSERT_TRUE(waitFor([&] { return !catalog.isLoading(); }));
  EXPECT_EQ(catalog.errorMessage(), QStringLiteral("sem rede"));

  backend.transport->reply(200, clienteRows({{kIdA, QStringLiteral("Ana")}}));
  ClientePickerViewModel picker{ClienteRepository(backend.client)};
  picker.search();
  ASSERT_TRUE(waitFor([&] { return !picker.isLoading(); }));
  backend.transport->failWith(QStringLiteral("sem rede"));
  picker.search();
  ASSERT_TRUE(waitFor([&] { return !picker.isLoading(); }));
  EXPECT_EQ(picker.errorMessage(), QStringLiteral("Erro ao carregar clientes: sem rede"));
  EXPECT_EQ(picker.clientes().size(), 1); // earlier results stay
}

TEST(RegistryArchive, ConfirmArchivesAndReloadsCancelDoesNothing) {
  Scripted backend;
  backend.transport->reply(200, catalogRows({{kIdA, QStringLiteral("Rotina")}}));
  CatalogListViewModel model(CatalogAccess(ObjetivoRepository(backend.client)), CatalogTexts::objetivos());
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  backend.transport->clear();

  model.askDelete(model.itens().first());
  EXPECT_TRUE(model.showDeleteConfirm());
  model.cancelDelete();
  EXPECT_FALSE(model.showDeleteConfirm());
  EXPECT_TRUE(backend.transport->requests().isEmpty());

  model.askDelete(model.itens().first());
  backend.transport->reply(204, {});
  backend.transport->reply(200, catalogRows({}));
  model.confirmDelete();
  ASSERT_TRUE(waitFor([&] { return backend.transport->requests().size() == 2 && !model.isLoading(); }));
  const HttpRequest &archive = backend.transport->requests().at(0);
  EXPECT_EQ(archive.method, "PATCH");
  EXPECT_TRUE(archive.url.contains("id=eq." + kIdA.toLatin1())) << archive.url.toStdString();
  EXPECT_TRUE(archive.body->contains("deleted_at"));
  EXPECT_TRUE(model.itens().isEmpty());
}

// Mend: both forms close before the save finishes; a save that fails brings
// the form back with what was typed and the failure, so nothing is lost.
TEST(RegistryMends, FailedSaveReopensTheFormWithTheRecordAsTyped) {
  Scripted backend;
  backend.transport->reply(200, clienteRows({}));
  ClienteListViewModel model{ClienteRepository(backend.client)};
  model.load();
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));

  model.openNew();
  const QUuid firstRoute = model.formRoute()->id;
  ClienteFormViewModel form(model.formRoute()->editing);
  form.setNomeRazao(QStringLiteral("Fazenda Nova"));
  form.editCpf(QStringLiteral("12345678909"), 11);
  form.setText(ClienteFormViewModel::Field::Cidade, QStringLiteral("Patos de Minas"));
  const Cliente typed = form.finished();

  // The save goes out, then the sheet closes and the list reloads; the
  // save is refused while that load runs.
  backend.transport->failWith(QStringLiteral("sem rede"));
  model.save(typed);
  model.sheetClosed(firstRoute);
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));

  ASSERT_TRUE(model.formRoute().has_value());
  EXPECT_NE(model.formRoute()->id, firstRoute);
  EXPECT_EQ(model.formRoute()->editing, typed);
  EXPECT_EQ(model.formRoute()->failure, QStringLiteral("Erro ao salvar: sem rede"));
  ClienteFormViewModel reopened(model.formRoute()->editing, model.formRoute()->failure);
  EXPECT_EQ(reopened.title(), QStringLiteral("Editar Cliente"));
  EXPECT_EQ(reopened.cpfText(), QStringLiteral("123.456.789-09"));
  EXPECT_EQ(reopened.text(ClienteFormViewModel::Field::Cidade), QStringLiteral("Patos de Minas"));

  // Saved again successfully: it is still a create (it never reached the
  // back-end), and no form comes back.
  const QUuid retryRoute = model.formRoute()->id;
  backend.transport->clear();
  model.save(reopened.finished());
  model.sheetClosed(retryRoute);
  ASSERT_TRUE(waitFor([&] { return !model.isLoading() && backend.transport->requests().size() >= 2; }));
  EXPECT_EQ(backend.transport->requests().at(0).method, "POST");
  EXPECT_FALSE(model.formRoute().has_value());
}

TEST(RegistryMends, FailedCatalogSaveReopensTheForm) {
  Scripted backend;
  CatalogListViewModel model(CatalogAccess(ObjetivoRepository(backend.client)), CatalogTexts::objetivos());
  model.openNew();
  const QUuid route = model.formRoute()->id;
  const CatalogItem typed = catalogItem(QStringLiteral("  Visita de rotina "));
  backend.transport->reply(409, R"({"message":"duplicate key value"})");
  model.save(typed);
  model.sheetClosed(route);
  ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
  ASSERT_TRUE(model.formRoute().has_value());
  EXPECT_EQ(model.formRoute()->editing, typed);
  EXPECT_EQ(model.formRoute()->failure, QStringLiteral("duplicate key value"));
}

// Mend: a load that finishes after a later one must not bring back the
// list as it was before.
TEST(RegistryMends, TheNewestLoadWins) {
  auto transport = std::make_shared<HeldTransport>();
  BackendClient client(BackendConfig::make(QStringLiteral("https://abcdefgh.supabase.co"), QStringLiteral("anon")),
                       transport);
  CatalogListViewModel catalog(CatalogAccess(ClassificacaoRepository(client)), CatalogTexts::classificacoes());
  ClienteListViewModel clientes{ClienteRepository(client)};

  catalog.load(); // request 0: started first, e.g. by the sheet closing
  catalog.load(); // request 1: the reload after the save
  ASSERT_TRUE(waitFor([&] { return transport->count() == 2; }));
  transport->answer(1, 200, catalogRows({{kIdA, QStringLiteral("Depois do salvar")}}));
  ASSERT_TRUE(waitFor([&] { return !catalog.isLoading(); }));
  EXPECT_EQ(catalog.itens().size(), 1);
  transport->answer(0, 200, catalogRows({}));
  // The older reply has reached the model's task; let its continuation run.
  ASSERT_TRUE(waitFor([&] { return transport->finished() == 2; }));
  QCoreApplication::processEvents();
  ASSERT_EQ(catalog.itens().size(), 1);
  EXPECT_EQ(catalog.itens().first().descricao, QStringLiteral("Depois do salvar"));

  // The same for the customers, with the older load failing late.
  clientes.load();
  clientes.load();
  ASSERT_TRUE(waitFor([&] { return transport->count() == 4; }));
  transport->answer(3, 200, clienteRows({{kIdB, QStringLiteral("Bruno")}}));
  ASSERT_TRUE(waitFor([&] { return !clientes.isLoading(); }));
  transport->answer(2, 0, "sem rede");
  ASSERT_TRUE(waitFor([&] { return transport->finished() == 4; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(clientes.errorMessage(), std::nullopt);
  ASSERT_EQ(clientes.clientes().size(), 1);
  EXPECT_EQ(clientes.clientes().first().nomeRazao, QStringLiteral("Bruno"));
}

} // namespace
