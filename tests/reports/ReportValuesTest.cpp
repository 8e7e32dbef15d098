#include "reports/ReportValues.h"

#include <gtest/gtest.h>

#include <functional>

using namespace varnel;

namespace {

struct TextCase {
  const char *name;
  std::function<QString(const std::optional<QString> &)> format;
  std::optional<QString> input;
  QString expected;
};

void PrintTo(const TextCase &c, std::ostream *os) { *os << c.name; }

class ReportTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReportTextTest, PrintsTheValue) {
  const TextCase &c = GetParam();
  EXPECT_EQ(c.format(c.input), c.expected);
}

const auto display = [](const std::optional<QString> &t) { return displayValue(t); };
const auto cpf = [](const std::optional<QString> &t) { return reportCPF(t); };
const auto cnpj = [](const std::optional<QString> &t) { return reportCNPJ(t); };

INSTANTIATE_TEST_SUITE_P(
    Values, ReportTextTest,
    ::testing::Values(
        TextCase{"display_absent", display, std::nullopt, "-"}, TextCase{"display_empty", display, QString(), "-"},
        TextCase{"display_blank_with_breaks", display, QStringLiteral(" \n\t\r\n "), "-"},
        TextCase{"display_trims", display, QStringLiteral("  Dra. Ana \n"), "Dra. Ana"},
        TextCase{"display_keeps_inner_breaks", display, QStringLiteral(" a\nb "), "a\nb"},
        TextCase{"cpf_digits", cpf, QStringLiteral("12345678901"), "123.456.789-01"},
        TextCase{"cpf_already_grouped", cpf, QStringLiteral("123.456.789-01"), "123.456.789-01"},
        TextCase{"cpf_blanks_around", cpf, QStringLiteral(" 123 456 789 01 "), "123.456.789-01"},
        TextCase{"cpf_too_few_digits", cpf, QStringLiteral("  123.456-7 "), "123.456-7"},
        TextCase{"cpf_cnpj_digits", cpf, QStringLiteral("12345678000195"), "12345678000195"},
        TextCase{"cpf_absent", cpf, std::nullopt, "-"}, TextCase{"cpf_blank", cpf, QStringLiteral("   "), "-"},
        TextCase{"cnpj_digits", cnpj, QStringLiteral("12345678000195"), "12.345.678/0001-95"},
        TextCase{"cnpj_already_grouped", cnpj, QStringLiteral("12.345.678/0001-95"), "12.345.678/0001-95"},
        TextCase{"cnpj_cpf_digits", cnpj, QStringLiteral(" 12345678901 "), "12345678901"},
        TextCase{"cnpj_absent", cnpj, std::nullopt, "-"}),
    [](const auto &info) { return std::string(info.param.name); });

Cliente clienteNamed(const QString &nomeRazao, std::optional<QString> nomeFantasia) {
  Cliente cliente;
  cliente.id = QUuid::createUuid();
  cliente.nomeRazao = nomeRazao;
  cliente.nomeFantasia = std::move(nomeFantasia);
  return cliente;
}

TEST(ReportAddress, JoinsTheNonBlankPartsInOrder) {
  Cliente cliente = clienteNamed("X", std::nullopt);
  cliente.endereco = QStringLiteral(" Rua das Flores, 10 \n");
  cliente.bairro = QStringLiteral("   ");
  cliente.cidade = QStringLiteral("Curitiba");
  cliente.uf = QStringLiteral("PR");
  cliente.cep = QStringLiteral("80000000");
  EXPECT_EQ(reportAddress(cliente), "Rua das Flores, 10 - Curitiba - PR - 80000000");

  Cliente onlyCity = clienteNamed("X", std::nullopt);
  onlyCity.cidade = QStringLiteral("Castro");
  EXPECT_EQ(reportAddress(onlyCity), "Castro");

  Cliente blank = clienteNamed("X", std::nullopt);
  blank.endereco = QStringLiteral("  ");
  EXPECT_EQ(reportAddress(blank), "-");
  EXPECT_EQ(reportAddress(std::nullopt), "-");
}

TEST(ReportDates, UseDayMonthYearInLocalTime) {
  const QDateTime evening(QDate(2024, 3, 5), QTime(23, 30));
  EXPECT_EQ(reportDate(evening), "05/03/2024");
  EXPECT_EQ(reportDate(evening.toUTC()), "05/03/2024");
  EXPECT_EQ(reportDate(std::nullopt), "-");
  EXPECT_EQ(reportDateTime(evening), "05/03/2024 23:30");
}

struct FileNameCase {
  const char *name;
  std::optional<Cliente> cliente;
  QString visitId;
  QString expected;
};

void PrintTo(const FileNameCase &c, std::ostream *os) { *os << c.name; }

class ReportFileNameTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(ReportFileNameTest, BuildsTheName) {
  const FileNameCase &c = GetParam();
  AtendimentoExternoPDFPayload payload;
  payload.atendimento = AtendimentoExterno::create(QUuid::createUuid(), QUuid::createUuid());
  payload.atendimento.id = QUuid::fromString(c.visitId);
  ASSERT_FALSE(payload.atendimento.id.isNull());
  payload.cliente = c.cliente;
  EXPECT_EQ(reportFileName(payload), c.expected);
}

const QString visitId = QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301");

INSTANTIATE_TEST_SUITE_P(
    Names, ReportFileNameTest,
    ::testing::Values(
        FileNameCase{"accents_folded", clienteNamed("Razão", QStringLiteral("Clínica São José")), visitId,
                     "relatorio-atendimento-Clinica-Sao-Jose-3F2504E0.pdf"},
        FileNameCase{"no_customer", std::nullopt, visitId, "relatorio-atendimento-atendimento-3F2504E0.pdf"},
        FileNameCase{"legal_name_without_trade_name", clienteNamed("Agropecuária Ltda.", std::nullopt), visitId,
                     "relatorio-atendimento-Agropecuaria-Ltda-3F2504E0.pdf"},
        FileNameCase{"empty_trade_name", clienteNamed("Razão", QString()), visitId,
                     "relatorio-atendimento--3F2504E0.pdf"},
        FileNameCase{"trade_name_of_symbols_only", clienteNamed("Razão", QStringLiteral(" *** / ")), visitId,
                     "relatorio-atendimento--3F2504E0.pdf"},
        FileNameCase{"runs_collapse_and_ends_strip",
                     clienteNamed("R", QStringLiteral("  --Açaí & Cia. / Filial_2--  ")), visitId,
                     "relatorio-atendimento-Acai-Cia-Filial_2-3F2504E0.pdf"},
        FileNameCase{"path_separators_never_survive", clienteNamed("R", QStringLiteral("../../etc/passwd")), visitId,
                     "relatorio-atendimento-etc-passwd-3F2504E0.pdf"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ReportImagesPage, IsNeededForImagesOrNonBlankNotes) {
  AtendimentoExternoPDFPayload payload;
  EXPECT_FALSE(needsImagesPage(payload));
  payload.atendimento.imagensObservacoes = QStringLiteral(" \n ");
  EXPECT_FALSE(needsImagesPage(payload));
  payload.atendimento.imagensObservacoes = QStringLiteral("Curral");
  EXPECT_TRUE(needsImagesPage(payload));
  payload.atendimento.imagensObservacoes.reset();
  payload.imagens.append(QImage(4, 4, QImage::Format_RGB32));
  EXPECT_TRUE(needsImagesPage(payload));
}

} // namespace
