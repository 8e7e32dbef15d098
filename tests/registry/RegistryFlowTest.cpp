// The registry screens as a user drives them, offscreen against the local
// back-end: create, find, edit and archive through the widgets, and the
// picker's search.

#include "Connection.h"
#include "LocalBackend.h"

#include "registry/CatalogFormView.h"
#include "registry/CatalogListView.h"
#include "registry/CatalogListViewModel.h"
#include "registry/ClienteFormView.h"
#include "registry/ClienteListView.h"
#include "registry/ClienteListViewModel.h"
#include "registry/ClientePickerView.h"
#include "registry/ClientePickerViewModel.h"
#include "repositories/ClienteRepository.h"
#include "ui/ConfirmationDialog.h"
#include "ui/FormSheet.h"
#include "ui/ListScreenFrame.h"
#include "ui/MessageLine.h"
#include "ui/RowListView.h"
#include "ui/SheetPresenter.h"
#include "ui/TextRowListModel.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

bool waitUntil(const std::function<bool()> &condition) {
  QDeadlineTimer deadline(15'000);
  while (!condition()) {
    if (deadline.hasExpired())
      return false;
    QTest::qWait(10);
  }
  return true;
}

QStringList titles(RowListView *list) {
  QStringList shown;
  for (const TextRow &row : list->rows()->rows())
    shown << row.title;
  return shown;
}

void clickRow(RowListView *list, int row) {
  const QRect rect = list->visualRect(list->model()->index(row, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 4, rect.center().y()));
}

// Types text key by key; QTest has no keys for accented letters, so those
// go in as the input method would put them.
void typeInto(QLineEdit *field, const QString &text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x80)
      QTest::keyClick(field, c.toLatin1());
    else
      field->insert(QString(c));
  }
}

void retype(QLineEdit *field, const QString &text) {
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  typeInto(field, text);
}

class RegistryFlow : public ::testing::Test {
protected:
  void SetUp() override {
    backend.reset();
    connection.signIn(backend.adminEmail(), backend.adminPassword());
    window.resize(900, 700);
    new QVBoxLayout(&window);
  }

  void show(QWidget *screen) {
    window.layout()->addWidget(screen);
    window.show();
    // The window-wide keys (Ctrl+N, F5) need it to be the active window.
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  template <class Form> Form *openSheet(SheetPresenter *sheets) {
    EXPECT_TRUE(waitUntil([&] { return sheets->sheet() && sheets->sheet()->isVisible(); }));
    return qobject_cast<Form *>(sheets->sheet());
  }

  LocalBackend &backend = LocalBackend::shared();
  Connection connection{backend};
  QWidget window;
};

TEST_F(RegistryFlow, ClientesCreateFindEditArchive) {
  // One customer already on file.
  Cliente existing;
  existing.id = QUuid::createUuid();
  existing.nomeRazao = QStringLiteral("Agropecuária Horizonte");
  existing.cidade = QStringLiteral("Araxá");
  await(ClienteRepository(connection.client).create(existing));

  auto *screen = new ClienteListView(connection.client);
  show(screen);
  ListScreenFrame *frame = screen->frame();
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()).size() == 1 && !screen->model().isLoading(); }));
  EXPECT_TRUE(frame->refreshButton()->isEnabled());

  // New customer: the name, a CPF typed digit by digit, a city.
  QTest::mouseClick(frame->newButton(), Qt::LeftButton);
  auto *form = openSheet<ClienteFormView>(screen->sheets());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowModality(), Qt::WindowModal);
  EXPECT_EQ(form->titleLabel()->text(), QStringLiteral("Novo Cliente"));
  EXPECT_FALSE(form->saveButton()->isEnabled());
  QTest::keyClicks(form->nomeRazaoField(), QStringLiteral("Fazenda Santa Luzia"));
  EXPECT_EQ(form->titleLabel()->text(), QStringLiteral("Editar Cliente"));
  QTest::keyClicks(form->cpfField(), QStringLiteral("123456789091"));
  EXPECT_EQ(form->cpfField()->text(), QStringLiteral("123.456.789-09"));
  QTest::keyClicks(form->field(ClienteFormViewModel::Field::Cidade), QStringLiteral("Patos de Minas"));
  // Return saves.
  QTest::keyClick(form->field(ClienteFormViewModel::Field::Cidade), Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()).contains(QStringLiteral("Fazenda Santa Luzia")); }));
  EXPECT_EQ(screen->sheets()->sheet(), nullptr);
  EXPECT_EQ(backend.sqlValue("select cpf from cliente where nome_razao = $1", {"Fazenda Santa Luzia"}), "12345678909");

  // Finding it by typing, by name and by CPF digits.
  QTest::keyClicks(frame->searchField(), QStringLiteral("LUZIA"));
  EXPECT_EQ(titles(screen->list()), QStringList{QStringLiteral("Fazenda Santa Luzia")});
  retype(frame->searchField(), QStringLiteral("45678"));
  EXPECT_EQ(titles(screen->list()), QStringList{QStringLiteral("Fazenda Santa Luzia")});

  // Editing it: a click anywhere in its row opens it.
  clickRow(screen->list(), 0);
  form = openSheet<ClienteFormView>(screen->sheets());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->nomeRazaoField()->text(), QStringLiteral("Fazenda Santa Luzia"));
  EXPECT_EQ(form->cpfField()->text(), QStringLiteral("123.456.789-09"));
  QTest::keyClick(form->nomeRazaoField(), Qt::Key_End);
  QTest::keyClicks(form->nomeRazaoField(), QStringLiteral(" II"));
  QTest::mouseClick(form->saveButton(), Qt::LeftButton);
  retype(frame->searchField(), QString());
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()).contains(QStringLiteral("Fazenda Santa Luzia II")); }))
      << titles(screen->list()).join(QLatin1Char('|')).toStdString() << " / "
      << screen->model().errorMessage().value_or(QStringLiteral("-")).toStdString();
  EXPECT_EQ(titles(screen->list()).size(), 2);

  // Escape closes a sheet without saving.
  QTest::mouseClick(frame->toolbarNewButton(), Qt::LeftButton);
  form = openSheet<ClienteFormView>(screen->sheets());
  ASSERT_NE(form, nullptr);
  QTest::keyClicks(form->nomeRazaoField(), QStringLiteral("Descartado"));
  QTest::keyClick(form, Qt::Key_Escape);
  ASSERT_TRUE(waitUntil([&] { return screen->sheets()->sheet() == nullptr && !screen->model().isLoading(); }));
  EXPECT_FALSE(screen->model().formRoute().has_value());
  EXPECT_EQ(backend.sqlValue("select count(*) from cliente where nome_razao = 'Descartado'"), "0");

  // Archiving it: Delete on the selected row, "Cancelar" first, then "Excluir".
  const int row = static_cast<int>(titles(screen->list()).indexOf(QStringLiteral("Fazenda Santa Luzia II")));
  screen->list()->setCurrentIndex(screen->list()->model()->index(row, 0));
  QTest::keyClick(screen->list(), Qt::Key_Delete);
  ASSERT_TRUE(waitUntil([&] { return screen->confirmation() && screen->confirmation()->isVisible(); }));
  EXPECT_EQ(screen->confirmation()->windowTitle(), QStringLiteral("Excluir cliente?"));
  EXPECT_FALSE(screen->confirmation()->destructiveButton()->isDefault());
  QTest::keyClick(screen->confirmation(), Qt::Key_Escape);
  ASSERT_TRUE(waitUntil([&] { return screen->confirmation() == nullptr; }));
  EXPECT_FALSE(screen->model().showDeleteConfirm());
  EXPECT_EQ(backend.sqlValue("select count(*) from cliente where deleted_at is null"), "2");

  QTest::keyClick(screen->list(), Qt::Key_Delete);
  ASSERT_TRUE(waitUntil([&] { return screen->confirmation() && screen->confirmation()->isVisible(); }));
  QTest::mouseClick(screen->confirmation()->destructiveButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()) == QStringList{existing.nomeRazao}; }));
  EXPECT_EQ(
      backend.sqlValue("select deleted_at is not null from cliente where nome_razao = $1", {"Fazenda Santa Luzia II"}),
      "t");
}

struct CatalogFlowCase {
  const char *name;
  bool objetivos;
  QString title;
  QString newTitle;
  QString editTitle;
  QString alertTitle;
  const char *table;
};

class CatalogFlow : public RegistryFlow, public ::testing::WithParamInterface<CatalogFlowCase> {};

TEST_P(CatalogFlow, CreateFindEditArchive) {
  const CatalogFlowCase &c = GetParam();
  CatalogListView *screen =
      c.objetivos ? CatalogListView::objetivos(connection.client) : CatalogListView::classificacoes(connection.client);
  show(screen);
  ListScreenFrame *frame = screen->frame();
  ASSERT_TRUE(waitUntil([&] { return !screen->model().isLoading(); }));
  EXPECT_EQ(frame->newButton()->text(), c.newTitle);
  EXPECT_EQ(frame->searchField()->placeholderText(), QStringLiteral("Buscar..."));

  // Two entries; the title follows the text.
  for (const QString &descricao : {QStringLiteral("Rotina"), QStringLiteral("  Emergência  ")}) {
    QTest::mouseClick(frame->toolbarNewButton(), Qt::LeftButton);
    auto *form = openSheet<CatalogFormView>(screen->sheets());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->titleLabel()->text(), c.newTitle);
    typeInto(form->descricaoField(), descricao);
    EXPECT_EQ(form->titleLabel()->text(), c.editTitle);
    QTest::keyClick(form->descricaoField(), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return titles(screen->list()).contains(descricao); }));
  }
  // Stored untrimmed.
  EXPECT_EQ(
      backend.sqlValue(std::string("select count(*) from ") + c.table + " where descricao = $1", {"  Emergência  "}),
      "1");

  // Search: accents as written, case ignored.
  typeInto(frame->searchField(), QStringLiteral("EMERGÊ"));
  EXPECT_EQ(titles(screen->list()), QStringList{QStringLiteral("  Emergência  ")});
  retype(frame->searchField(), QStringLiteral("emergencia"));
  EXPECT_TRUE(titles(screen->list()).isEmpty());
  retype(frame->searchField(), QStringLiteral("rot"));
  ASSERT_EQ(titles(screen->list()), QStringList{QStringLiteral("Rotina")});

  // Edit through the row; blanks only keep "Salvar" disabled.
  clickRow(screen->list(), 0);
  auto *form = openSheet<CatalogFormView>(screen->sheets());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->titleLabel()->text(), c.editTitle);
  retype(form->descricaoField(), QStringLiteral("   "));
  EXPECT_FALSE(form->saveButton()->isEnabled());
  retype(form->descricaoField(), QStringLiteral("Rotina mensal"));
  QTest::mouseClick(form->saveButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()) == QStringList{QStringLiteral("Rotina mensal")}; }));
  EXPECT_EQ(backend.sqlValue(std::string("select count(*) from ") + c.table), "2");

  // Archive from the row's Delete key after a confirmation.
  screen->list()->setCurrentIndex(screen->list()->model()->index(0, 0));
  QTest::keyClick(screen->list(), Qt::Key_Delete);
  ASSERT_TRUE(waitUntil([&] { return screen->confirmation() && screen->confirmation()->isVisible(); }));
  EXPECT_EQ(screen->confirmation()->windowTitle(), c.alertTitle);
  QTest::mouseClick(screen->confirmation()->destructiveButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()).isEmpty() && !screen->model().isLoading(); }));
  retype(frame->searchField(), QString());
  EXPECT_EQ(titles(screen->list()), QStringList{QStringLiteral("  Emergência  ")});
  EXPECT_EQ(backend.sqlValue(std::string("select count(*) from ") + c.table + " where deleted_at is not null"), "1");

  // "Atualizar" reloads: a row added behind the screen's back shows up.
  backend.sql(std::string("insert into ") + c.table + " (id, descricao) values (gen_random_uuid(), 'Externa')");
  QTest::mouseClick(frame->refreshButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return titles(screen->list()).contains(QStringLiteral("Externa")); }));
}

INSTANTIATE_TEST_SUITE_P(
    Registry, CatalogFlow,
    ::testing::Values(CatalogFlowCase{"Objetivos", true, QStringLiteral("Objetivos"), QStringLiteral("Novo Objetivo"),
                                      QStringLiteral("Editar Objetivo"), QStringLiteral("Excluir objetivo?"),
                                      "objetivo"},
                      CatalogFlowCase{"Classificacoes", false, QStringLiteral("Classificações"),
                                      QStringLiteral("Nova Classificação"), QStringLiteral("Editar Classificação"),
                                      QStringLiteral("Excluir classificação?"), "classificacao"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RegistryFlow, PickerSearchesTheBackEndAndPicks) {
  for (const auto &[nome, fantasia] : {std::pair{QStringLiteral("Fazenda Alvorada"), QStringLiteral("Leite Bom")},
                                       std::pair{QStringLiteral("Sítio Primavera"), QStringLiteral("Ovos da Serra")},
                                       std::pair{QStringLiteral("Haras Bela Vista"), QString()}}) {
    Cliente cliente;
    cliente.id = QUuid::createUuid();
    cliente.nomeRazao = nome;
    if (!fantasia.isEmpty())
      cliente.nomeFantasia = fantasia;
    await(ClienteRepository(connection.client).create(cliente));
  }
  auto *picker = new ClientePickerView(connection.client, &window);
  QSignalSpy picked(picker, &ClientePickerView::selected);
  window.show();
  picker->open();
  // Searched once on open: everything, by legal name.
  ASSERT_TRUE(waitUntil([&] { return titles(picker->list()).size() == 3 && !picker->model().isLoading(); }));
  EXPECT_EQ(titles(picker->list()), (QStringList{QStringLiteral("Fazenda Alvorada"), QStringLiteral("Haras Bela Vista"),
                                                 QStringLiteral("Sítio Primavera")}));

  // Return searches the back-end: the trade name, case ignored.
  QTest::keyClicks(picker->searchField(), QStringLiteral("serra"));
  QTest::keyClick(picker->searchField(), Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return titles(picker->list()) == QStringList{QStringLiteral("Sítio Primavera")}; }));
  EXPECT_TRUE(picker->isVisible());

  // "Buscar" with a legal-name fragment.
  retype(picker->searchField(), QStringLiteral("ALVOR"));
  QTest::mouseClick(picker->searchButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return titles(picker->list()) == QStringList{QStringLiteral("Fazenda Alvorada")}; }));

  clickRow(picker->list(), 0);
  ASSERT_EQ(picked.size(), 1);
  EXPECT_EQ(picked.first().first().value<Cliente>().nomeRazao, QStringLiteral("Fazenda Alvorada"));
  EXPECT_FALSE(picker->isVisible());
}

} // namespace
