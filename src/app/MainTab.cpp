#include "app/MainTab.h"

namespace varnel {

QString mainTabTitle(MainTab tab) {
  switch (tab) {
  case MainTab::Dashboard:
    return QStringLiteral("Dashboard");
  case MainTab::Atendimentos:
    return QStringLiteral("Atendimentos");
  case MainTab::Clientes:
    return QStringLiteral("Clientes");
  case MainTab::Objetivos:
    return QStringLiteral("Objetivos");
  case MainTab::Classificacoes:
    return QStringLiteral("Classificações");
  case MainTab::Usuarios:
    return QStringLiteral("Usuários");
  }
  return {};
}

QStringList mainTabIconNames(MainTab tab) {
  switch (tab) {
  case MainTab::Dashboard: // a bar chart
    return {QStringLiteral("office-chart-bar"), QStringLiteral("view-statistics"),
            QStringLiteral("x-office-spreadsheet")};
  case MainTab::Atendimentos: // the visits, a clipboard of appointments
    return {QStringLiteral("view-calendar-tasks"), QStringLiteral("x-office-calendar"),
            QStringLiteral("appointment-new")};
  case MainTab::Clientes: // two people
    return {QStringLiteral("system-users"), QStringLiteral("group"), QStringLiteral("avatar-default")};
  case MainTab::Objetivos: // a target
    return {QStringLiteral("crosshairs"), QStringLiteral("find-location"), QStringLiteral("mark-location")};
  case MainTab::Classificacoes: // a tag
    return {QStringLiteral("tag"), QStringLiteral("bookmark-new")};
  case MainTab::Usuarios: // a person with a plus
    return {QStringLiteral("list-add-user"), QStringLiteral("contact-new"), QStringLiteral("system-users")};
  }
  return {};
}

} // namespace varnel
