#include "reports/AtendimentoExternoPDFService.h"
#include "reports/ReportFiles.h"
#include "reports/ReportValues.h"

#include "PdfReader.h"
#include "TemporaryLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace varnel;

namespace {

AtendimentoExternoPDFPayload samplePayload() {
  AtendimentoExternoPDFPayload payload;
  payload.atendimento = AtendimentoExterno::create(QUuid::createUuid(), QUuid::createUuid());
  payload.atendimento.dataVisita = QDateTime(QDate(2024, 3, 5), QTime(9, 15));
  payload.atendimento.relatorio = QStringLiteral("Rebanho em bom estado.");
  Cliente cliente;
  cliente.id = payload.atendimento.clienteId;
  cliente.nomeRazao = QStringLiteral("Agropecuária Boa Vista Ltda.");
  cliente.nomeFantasia = QStringLiteral("Fazenda Boa Vista");
  cliente.cpf = QStringLiteral("12345678901");
  cliente.endereco = QStringLiteral("Estrada Municipal km 12");
  cliente.cidade = QStringLiteral("Castro");
  cliente.uf = QStringLiteral("PR");
  payload.cliente = cliente;
  payload.assinatura = QStringLiteral("Dra. Ana Souza");
  return payload;
}

QString lines(int count, const QString &word) {
  QStringList out;
  for (int i = 1; i <= count; ++i)
    out << word + QString::number(i);
  return out.join(u'\n');
}

class ReportPdf : public TemporaryLocation {
protected:
  // Generates the report and opens the written file.
  std::unique_ptr<PdfReader> generate(const AtendimentoExternoPDFPayload &payload) {
    m_path = m_service.generate(payload);
    auto reader = std::make_unique<PdfReader>(m_path);
    EXPECT_TRUE(reader->isOpen()) << m_path.toStdString();
    return reader;
  }
  const QString &path() const { return m_path; }

  AtendimentoExternoPDFService m_service;
  QString m_path;
};

TEST_F(ReportPdf, IsWrittenUnderItsNameInThePrivateFolderAndReplaced) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  generate(payload);
  EXPECT_EQ(QFileInfo(path()).fileName(), reportFileName(payload));
  EXPECT_EQ(QDir(QFileInfo(path()).path()), QDir(privatePath()));

  payload.atendimento.relatorio = QStringLiteral("Segunda versão do texto.");
  const auto again = generate(payload);
  EXPECT_TRUE(again->text(0).contains(QStringLiteral("Segunda versão do texto.")));
  EXPECT_EQ(QDir(privatePath()).entryList(QDir::Files | QDir::Hidden), QStringList{reportFileName(payload)});
}

TEST_F(ReportPdf, AFailedWriteIsThrown) {
  QFile blocker(privatePath());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_THROW(m_service.generate(samplePayload()), ReportWriteError);
}

TEST_F(ReportPdf, DocumentPageHasTheHeaderSectionsAndValuesInOrder) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  const auto pdf = generate(payload);
  ASSERT_EQ(pdf->pageCount(), 1);
  const QSizeF size = pdf->pageSize(0);
  EXPECT_NEAR(size.width(), 595.28, 0.5);
  EXPECT_NEAR(size.height(), 841.89, 0.5);

  const QString text = pdf->text(0);
  const QStringList expected = {"Varnel",
                                "Relatório de Atendimento",
                                "Tolva",
                                "Gerado em",
                                "Cliente",
                                "Nome fantasia",
                                "Razão social",
                                "Fazenda Boa Vista",
                                "Agropecuária Boa Vista Ltda.",
                                "CPF",
                                "CNPJ",
                                "123.456.789-01",
                                "-",
                                "Endereço",
                                "Endereço completo",
                                "Estrada Municipal km 12 - Castro - PR",
                                "Dados do Atendimento",
                                "Data da visita",
                                "Data do relatório",
                                "05/03/2024",
                                "-",
                                "Relatório",
                                "Rebanho em bom estado.",
                                "Assinatura",
                                "Dra. Ana Souza"};
  qsizetype from = 0;
  for (const QString &phrase : expected) {
    const qsizetype at = text.indexOf(phrase, from);
    ASSERT_GE(at, 0) << "missing or out of order: " << phrase.toStdString() << "\nin: " << text.toStdString();
    from = at + phrase.size();
  }
  EXPECT_TRUE(QRegularExpression(QStringLiteral("Gerado em \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d")).match(text).hasMatch())
      << text.toStdString();
}

// Geometry of the page as the layout defines it, in points.
constexpr qreal margin = 28.35;
constexpr qreal pageHeight = 841.89;
constexpr qreal contentWidth = 595.28 - 2 * margin;
constexpr qreal slotSide = (contentWidth - 8) / 2;

// Where a phrase was drawn; a test failure and an empty box when it is not
// on the page.
QRectF boxOf(const PdfReader &pdf, int page, const QString &phrase, qreal below = -1) {
  const auto box = pdf.find(page, phrase, below);
  if (!box) {
    ADD_FAILURE() << "not on page " << page << ": " << phrase.toStdString();
    return {};
  }
  return *box;
}

// Below the header, where the page's own title is out of the way.
constexpr qreal belowHeader = 100;

// The first body line's height, as the PDF draws it, rounded up: the line
// height that the signature room is made of.
qreal bodyLineHeight(const PdfReader &pdf, const QString &bodyWord) {
  const auto box = pdf.find(0, bodyWord);
  EXPECT_TRUE(box.has_value()) << bodyWord.toStdString();
  return box ? std::ceil(box->height()) : 0;
}

// The words of the value drawn under a box's label (14 points lower).
QString valueUnder(const PdfReader &pdf, int page, const QString &label) {
  const auto labelBox = pdf.find(page, label);
  if (!labelBox)
    return QStringLiteral("<no label %1>").arg(label);
  QStringList words;
  for (const PdfWord &word : pdf.words(page))
    if (std::abs(word.box.top() - (labelBox->top() + 14)) < 1 && word.box.left() >= labelBox->left() - 1 &&
        word.box.left() < labelBox->left() + contentWidth / 2 - 8)
      words << word.text;
  return words.join(u' ');
}

TEST_F(ReportPdf, SectionsBoxesAndSignatureSitWhereTheLayoutPutsThem) {
  const auto pdf = generate(samplePayload());
  // Header 76 + 12; each band 26; a grid row of one-line fields 42 + 8, and 2
  // after the grid; the address box 42 + 10. Band texts sit 4 below the band.
  EXPECT_NEAR(boxOf(*pdf, 0, "Cliente").top(), margin + 88 + 4, 0.5);
  EXPECT_NEAR(boxOf(*pdf, 0, "Endereço").top(), margin + 88 + 26 + 2 * 50 + 2 + 4, 0.5);
  EXPECT_NEAR(boxOf(*pdf, 0, "Dados do Atendimento").top(), margin + 88 + 2 * 26 + 102 + 52 + 4, 0.5);
  const qreal reportBand = margin + 88 + 3 * 26 + 102 + 52 + 52;
  EXPECT_NEAR(boxOf(*pdf, 0, "Relatório", belowHeader).top(), reportBand + 4, 0.5);
  // The second grid column starts one column and a 12-point gap to the right.
  EXPECT_NEAR(boxOf(*pdf, 0, "Razão social").left(), margin + (contentWidth - 12) / 2 + 12 + 8, 0.5);

  // A short report leaves the signature box, four lines high plus padding,
  // ending on the bottom margin.
  const qreal signatureRoom = 4 * bodyLineHeight(*pdf, "Rebanho") + 28;
  EXPECT_NEAR(boxOf(*pdf, 0, "Assinatura").top(), pageHeight - margin - signatureRoom + 6, 0.5);

  const QImage page = pdf->render(0);
  EXPECT_EQ(page.pixelColor(300, int(margin + 88 + 10)), QColor(232, 242, 232));
  EXPECT_EQ(page.pixelColor(300, int(reportBand + 150)), QColor(250, 250, 250));
  EXPECT_EQ(page.pixelColor(300, int(pageHeight - margin) + 3), QColor(Qt::white));
}

TEST_F(ReportPdf, AnEmptyReportKeepsABoxOfAtLeast120Points) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.atendimento.relatorio.reset();
  // A 20-line address leaves less than 120 points above the signature room.
  payload.cliente->endereco = lines(20, QStringLiteral("Linha"));
  const auto pdf = generate(payload);
  const qreal band = boxOf(*pdf, 0, "Relatório", belowHeader).top() - 4;
  EXPECT_NEAR(boxOf(*pdf, 0, "Assinatura").top(), band + 26 + 120 + 10 + 6, 0.5);
  EXPECT_TRUE(pdf->text(0).contains(QStringLiteral("Linha20 - Castro - PR")));
}

TEST_F(ReportPdf, TheReportBoxGrowsWithItsTextAndPushesTheSignatureDown) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.atendimento.relatorio = lines(20, QStringLiteral("Item"));
  const auto pdf = generate(payload);
  const QRectF last = boxOf(*pdf, 0, "Item20");
  // Text bottom, rounded up, + 8 of box padding, 10 of gap, 6 to the label.
  const qreal gap = boxOf(*pdf, 0, "Assinatura").top() - last.bottom();
  EXPECT_GE(gap, 24 - 0.5);
  EXPECT_LE(gap, 25 + 0.5);
}

TEST_F(ReportPdf, AReportLongerThanThePageIsCutOffWithTheSignature) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.atendimento.relatorio = lines(80, QStringLiteral("Item"));
  const auto pdf = generate(payload);
  ASSERT_EQ(pdf->pageCount(), 1);
  const QString text = pdf->text(0);
  EXPECT_TRUE(text.contains(QStringLiteral("Item1 ")));
  EXPECT_FALSE(text.contains(QStringLiteral("Item80")));
  EXPECT_FALSE(text.contains(QStringLiteral("Assinatura")));
  EXPECT_FALSE(text.contains(QStringLiteral("Dra. Ana")));
  for (const PdfWord &word : pdf->words(0))
    EXPECT_LT(word.box.top(), pageHeight) << word.text.toStdString();
}

TEST_F(ReportPdf, AbsentValuesPrintADash) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.cliente.reset();
  payload.assinatura.reset();
  payload.atendimento.relatorio = QStringLiteral(" \n ");
  payload.atendimento.dataRelatorio.reset();
  const auto pdf = generate(payload);
  for (const char *label :
       {"Nome fantasia", "Razão social", "CPF", "CNPJ", "Endereço completo", "Data do relatório", "Assinatura"})
    EXPECT_EQ(valueUnder(*pdf, 0, label), "-") << label;
  EXPECT_EQ(valueUnder(*pdf, 0, "Data da visita"), "05/03/2024");
  EXPECT_EQ(QFileInfo(path()).fileName().section(u'-', 0, 2), "relatorio-atendimento-atendimento");
}

// Solid colours are easy to find again in the rendered slots.
QImage solid(QColor colour, QSize size = QSize(400, 300)) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Images are embedded as JPEG, which may shift a channel by a step or two.
::testing::AssertionResult closeColours(const QColor &actual, const QColor &expected) {
  const int distance = std::max({std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
                                 std::abs(actual.blue() - expected.blue())});
  if (distance <= 4)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << ", wanted "
                                       << expected.name().toStdString();
}

QColor slotCentre(const QImage &page, int slot) {
  const qreal x = margin + (slot % 2) * (slotSide + 8) + slotSide / 2;
  const qreal y = margin + (slot / 2) * (slotSide + 8) + slotSide / 2;
  return page.pixelColor(int(x), int(y));
}

struct ImagesCase {
  const char *name;
  QList<QImage> images;
  QList<QColor> centres; // the centre of each of the four slots
};

void PrintTo(const ImagesCase &c, std::ostream *os) { *os << c.name; }

class ReportImagesPdf : public ReportPdf, public ::testing::WithParamInterface<ImagesCase> {};

const QColor emptySlot(250, 250, 250);

TEST_P(ReportImagesPdf, FillsTheSlotsInOrder) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.imagens = GetParam().images;
  const auto pdf = generate(payload);
  ASSERT_EQ(pdf->pageCount(), 2);
  const QImage page = pdf->render(1);
  for (int slot = 0; slot < 4; ++slot)
    EXPECT_TRUE(closeColours(slotCentre(page, slot), GetParam().centres[slot])) << "slot " << slot;
  // The notes box starts below the grid, with "-" for absent notes.
  EXPECT_NEAR(boxOf(*pdf, 1, "Observações das Imagens").top(), margin + 2 * slotSide + 8 + 10 + 6, 0.5);
  EXPECT_EQ(valueUnder(*pdf, 1, "Observações das Imagens"), "-");
}

INSTANTIATE_TEST_SUITE_P(
    Slots, ReportImagesPdf,
    ::testing::Values(ImagesCase{"one_image", {solid(Qt::red)}, {QColor(Qt::red), emptySlot, emptySlot, emptySlot}},
                      ImagesCase{
                          "five_images_draw_four",
                          {solid(Qt::red), solid(Qt::green), solid(Qt::blue), solid(Qt::yellow), solid(Qt::magenta)},
                          {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow)}},
                      ImagesCase{"undecodable_image_leaves_its_slot_empty",
                                 {QImage(), solid(Qt::blue, QSize(30, 90))},
                                 {emptySlot, QColor(Qt::blue), emptySlot, emptySlot}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReportPdf, NotesWithoutImagesGetAPageWithOnlyTheNotesBox) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.atendimento.imagensObservacoes = QStringLiteral("Curral reformado.");
  const auto pdf = generate(payload);
  ASSERT_EQ(pdf->pageCount(), 2);
  EXPECT_NEAR(boxOf(*pdf, 1, "Observações das Imagens").top(), margin + 6, 0.5);
  EXPECT_EQ(valueUnder(*pdf, 1, "Observações das Imagens"), "Curral reformado.");

  // One box from the top margin to the bottom margin: down the middle of the
  // page, its outline is the first and the last thing drawn, and its fill is
  // all there is in between.
  const QImage page = pdf->render(1);
  QList<int> drawnRows;
  for (int y = 0; y < page.height(); ++y)
    if (page.pixelColor(page.width() / 2, y) != QColor(Qt::white))
      drawnRows << y;
  ASSERT_FALSE(drawnRows.isEmpty());
  EXPECT_NEAR(drawnRows.first(), margin, 1.5);
  EXPECT_NEAR(drawnRows.last(), pageHeight - margin, 1.5);
  for (int y = int(margin) + 2; y < int(pageHeight - margin) - 1; ++y)
    ASSERT_EQ(page.pixelColor(page.width() / 2, y), QColor(250, 250, 250)) << "row " << y;
}

TEST_F(ReportPdf, BlankNotesAndNoImagesGiveOnePage) {
  AtendimentoExternoPDFPayload payload = samplePayload();
  payload.atendimento.imagensObservacoes = QStringLiteral("  \n ");
  EXPECT_EQ(generate(payload)->pageCount(), 1);
}

// A 4000 x 3000 picture with the detail of a phone photo at the scale the
// report keeps: colour fields, shapes and grain.
QImage phonePhoto(quint32 seed) {
  QRandomGenerator random(seed);
  QImage base(1000, 750, QImage::Format_RGB32);
  const double phase = random.bounded(6.28);
  for (int y = 0; y < base.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(base.scanLine(y));
    for (int x = 0; x < base.width(); ++x) {
      const double u = x / 1000.0;
      const double v = y / 750.0;
      const int grain = int(random.bounded(24)) - 12;
      line[x] = qRgb(std::clamp(int(120 + 80 * std::sin(6 * u + phase) * std::cos(4 * v)) + grain, 0, 255),
                     std::clamp(int(140 + 60 * std::sin(9 * v + 2 * u + phase)) + grain, 0, 255),
                     std::clamp(int(100 + 70 * std::cos(5 * (u + v) + phase)) + grain, 0, 255));
    }
  }
  QPainter painter(&base);
  painter.setPen(Qt::NoPen);
  for (int i = 0; i < 40; ++i) {
    painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 120, 200));
    painter.drawEllipse(QPointF(random.bounded(1000.0), random.bounded(750.0)), random.bounded(120.0) + 5,
                        random.bounded(90.0) + 5);
  }
  painter.end();
  return base.scaled(4000, 3000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

TEST_F(ReportPdf, FourPhonePhotosAreEmbeddedAtMost300DpiAndStaySmall) {
  const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
  ASSERT_FALSE(pdfimages.isEmpty()) << "pdfimages (poppler-utils, installed by scripts/setup) is needed";
  AtendimentoExternoPDFPayload payload = samplePayload();
  for (quint32 seed = 1; seed <= 4; ++seed)
    payload.imagens.append(phonePhoto(seed));
  const auto pdf = generate(payload);
  ASSERT_EQ(pdf->pageCount(), 2);
  const qint64 bytes = QFileInfo(path()).size();
  RecordProperty("pdf_bytes", std::to_string(bytes));
  EXPECT_LT(bytes, 2 * 1024 * 1024);

  QProcess list;
  list.start(pdfimages, {QStringLiteral("-list"), path()});
  ASSERT_TRUE(list.waitForFinished(30000));
  // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
  const QStringList rows = QString::fromUtf8(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).mid(2);
  ASSERT_EQ(rows.size(), 4) << rows.join(u'\n').toStdString();
  for (const QString &row : rows) {
    const QStringList columns = row.simplified().split(u' ');
    ASSERT_GE(columns.size(), 14) << row.toStdString();
    EXPECT_EQ(columns[0], "2");
    EXPECT_LE(columns[12].toInt(), 300) << row.toStdString();
    EXPECT_LE(columns[13].toInt(), 300) << row.toStdString();
  }
}

} // namespace
