// Screenshot tour: runs the real window against the configured back-end,
// walks through login and the shell, and saves each screen as a PNG.
//
//   printf '%s\n%s\n' EMAIL PASSWORD | varnel-screenshots OUTPUT_DIR
//
// The remembered e-mail goes to a throwaway settings file and the password
// to an in-memory store, so the user's own preferences and keyring are not
// touched.

#include "app/AppUpdater.h"
#include "app/LoginView.h"
#include "app/LoginViewModel.h"
#include "app/MainView.h"
#include "app/MainWindow.h"
#include "app/RootView.h"
#include "app/VarnelApp.h"
#include "backend/SessionStore.h"
#include "backend/SupabaseManager.h"
#include "base/Tasks.h"
#include "dashboard/DashboardView.h"
#include "dashboard/DashboardViewModel.h"
#include "platform/CredentialStore.h"
#include "platform/LoginPreferences.h"
#include "registry/CatalogListView.h"
#include "registry/CatalogListViewModel.h"
#include "registry/ClienteFormView.h"
#include "registry/ClienteListView.h"
#include "registry/ClienteListViewModel.h"
#include "registry/ClientePickerView.h"
#include "registry/ClientePickerViewModel.h"
#include "ui/ConfirmationDialog.h"
#include "ui/SheetPresenter.h"

#include <QApplication>
#include <QCoroTimer>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <map>

using namespace varnel;
using namespace std::chrono_literals;

namespace {

class MemoryCredentialStore : public CredentialStore {
public:
  QCoro::Task<void> savePassword(QString password, QString account, QString service) override {
    m_items[{account, service}] = password;
    co_return;
  }
  QCoro::Task<std::optional<QString>> loadPassword(QString account, QString service) override {
    auto it = m_items.find({account, service});
    if (it == m_items.end())
      co_return std::nullopt;
    co_return std::optional<QString>(it->second);
  }
  QCoro::Task<void> deletePassword(QString account, QString service) override {
    m_items.erase({account, service});
    co_return;
  }

private:
  std::map<std::pair<QString, QString>, QString> m_items;
};

struct Tour {
  VarnelApp &app;
  QDir out;
  QString email;
  QString password;
  int failures = 0;

  void save(QWidget &widget, const QString &name) {
    const QString path = out.filePath(name + QStringLiteral(".png"));
    if (widget.grab().save(path)) {
      std::fprintf(stdout, "%s\n", qPrintable(path));
    } else {
      std::fprintf(stderr, "varnel-screenshots: could not write %s\n", qPrintable(path));
      ++failures;
    }
  }

  QCoro::Task<bool> waitFor(std::function<bool()> condition, std::chrono::milliseconds limit = 10s) {
    for (auto waited = 0ms; waited < limit; waited += 50ms) {
      if (condition())
        co_return true;
      co_await QCoro::sleepFor(50ms);
    }
    co_return condition();
  }

  // The shown section's list screen, once its first load has finished.
  template <class Screen> QCoro::Task<Screen *> waitForList(RootView *root) {
    Screen *screen = nullptr;
    co_await waitFor([&] {
      screen = root->mainView() ? root->mainView()->currentScreen()->findChild<Screen *>() : nullptr;
      return screen && screen->isVisible() && !screen->model().isLoading();
    });
    co_await QCoro::sleepFor(200ms);
    co_return screen;
  }

  // The customer form with a masked CPF, the picker and an archive confirmation.
  QCoro::Task<void> tourClientes(MainWindow *window, ClienteListView *screen) {
    screen->model().openNew();
    auto *form = qobject_cast<ClienteFormView *>(screen->sheets()->sheet());
    if (form) {
      const QString nome = QStringLiteral("Fazenda Santa Luzia");
      form->nomeRazaoField()->setText(nome);
      form->model().setNomeRazao(nome);
      form->model().editCpf(QStringLiteral("12345678909"), 11);
      form->field(ClienteFormViewModel::Field::Cidade)->setText(QStringLiteral("Patos de Minas"));
      co_await QCoro::sleepFor(300ms);
      save(*form, QStringLiteral("05d-cliente-form"));
      form->reject();
    }
    co_await waitFor([&] { return !screen->model().isLoading(); });

    auto *picker = new ClientePickerView(app.sessionStore().client(), window);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker->setWindowModality(Qt::WindowModal);
    picker->open();
    co_await waitFor([&] { return !picker->model().isLoading(); });
    co_await QCoro::sleepFor(300ms);
    save(*picker, QStringLiteral("05e-cliente-picker"));
    picker->reject();

    if (!screen->model().clientes().isEmpty()) {
      screen->model().askDelete(screen->model().clientes().first());
      co_await waitFor([&] { return screen->confirmation() != nullptr; });
      co_await QCoro::sleepFor(300ms);
      if (ConfirmationDialog *confirmation = screen->confirmation()) {
        save(*confirmation, QStringLiteral("05f-archive-confirmation"));
        confirmation->cancelButton()->click();
      }
    }
    co_await waitFor([] { return QApplication::activeModalWidget() == nullptr; }, 5s);
  }

  QCoro::Task<int> run() {
    MainWindow &window = app.window();
    RootView &root = window.rootView();
    app.start();
    co_await QCoro::sleepFor(800ms);
    save(window, QStringLiteral("01-login"));

    LoginViewModel *login = &root.loginView()->model();
    login->setEmail(QStringLiteral("  ") + email.toUpper() + QStringLiteral(" "));
    login->setPassword(QStringLiteral("senha-errada"));
    login->signIn();
    co_await waitFor([&] { return !login->isLoading(); });
    co_await QCoro::sleepFor(200ms);
    save(window, QStringLiteral("02-login-error"));

    login->setRememberMe(true);
    login->setPassword(password);
    login->signIn();
    if (!co_await waitFor([&] { return root.mainView() != nullptr; })) {
      std::fprintf(stderr, "varnel-screenshots: sign-in did not succeed: %s\n",
                   qPrintable(login->errorMessage().value_or(QStringLiteral("?"))));
      co_return 1;
    }
    // The dashboard loads its figures when shown: wait for them.
    const bool figuresLoaded = co_await waitFor([&] {
      auto *dashboard = window.findChild<DashboardView *>();
      return dashboard && dashboard->isVisible() && !dashboard->model().isLoading();
    });
    if (!figuresLoaded)
      std::fprintf(stderr, "varnel-screenshots: the dashboard did not finish loading\n");
    co_await QCoro::sleepFor(300ms);
    save(window, QStringLiteral("03-shell-dashboard"));

    root.mainView()->tabButton(MainTab::Atendimentos)->click();
    co_await QCoro::sleepFor(300ms);
    save(window, QStringLiteral("04-shell-atendimentos"));

    root.mainView()->tabButton(MainTab::Classificacoes)->click();
    co_await waitForList<CatalogListView>(&root);
    save(window, QStringLiteral("05-shell-classificacoes"));

    root.mainView()->tabButton(MainTab::Objetivos)->click();
    co_await waitForList<CatalogListView>(&root);
    save(window, QStringLiteral("05b-shell-objetivos"));

    root.mainView()->tabButton(MainTab::Clientes)->click();
    ClienteListView *clientes = co_await waitForList<ClienteListView>(&root);
    save(window, QStringLiteral("05c-shell-clientes"));
    if (clientes)
      co_await tourClientes(&window, clientes);

    // The update command's answer, shown in its own window-modal dialog.
    QObject::connect(&app.updater(), &AppUpdater::resultShown, &app, [this](QWidget *dialog) {
      QTimer::singleShot(300ms, dialog, [this, dialog] {
        save(*dialog, QStringLiteral("06-update-check"));
        dialog->close();
      });
    });
    window.checkForUpdatesAction()->trigger();
    co_await waitFor([&] { return !app.updater().isChecking(); }, 20s);
    co_await waitFor([] { return QApplication::activeModalWidget() == nullptr; }, 5s);

    root.mainView()->signOutButton()->click();
    if (!co_await waitFor([&] { return root.loginView() != nullptr; })) {
      std::fprintf(stderr, "varnel-screenshots: \"Sair\" did not return to the login screen\n");
      co_return 1;
    }
    co_await QCoro::sleepFor(800ms);
    save(window, QStringLiteral("07-login-remembered"));
    co_return failures == 0 ? 0 : 1;
  }
};

} // namespace

int main(int argc, char *argv[]) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: printf '%%s\\n%%s\\n' EMAIL PASSWORD | varnel-screenshots OUTPUT_DIR\n");
    return 2;
  }
  VarnelApp::setUpApplication();
  QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "varnel-screenshots: cannot create %s\n", argv[1]);
    return 2;
  }
  QTextStream input(stdin);
  const QString email = input.readLine().trimmed();
  const QString password = input.readLine();
  if (email.isEmpty() || password.isEmpty()) {
    std::fprintf(stderr, "varnel-screenshots: expected the e-mail and the password on standard input\n");
    return 2;
  }

  QTemporaryDir settingsDir;
  QSettings settings(settingsDir.filePath(QStringLiteral("login.ini")), QSettings::IniFormat);
  auto preferences = std::make_unique<LoginPreferences>(settings);
  VarnelApp app(SupabaseManager::shared().client(), std::make_unique<MemoryCredentialStore>(), std::move(preferences),
                std::make_unique<AppUpdater>(AppUpdater::makeBuildChecker(), false));

  Tour tour{app, out, email, password};
  int status = 1;
  Tasks tasks(&app);
  tasks.run(
      tour.run(),
      [&status](int result) {
        status = result;
        QApplication::exit(result);
      },
      [](const QString &failure) {
        std::fprintf(stderr, "varnel-screenshots: %s\n", qPrintable(failure));
        QApplication::exit(1);
      });
  application.exec();
  return status;
}
