#pragma once
// The sections of the signed-in shell, in header order.

#include <QString>
#include <QStringList>

#include <array>

namespace varnel {

enum class MainTab { Dashboard, Atendimentos, Clientes, Objetivos, Classificacoes, Usuarios };

inline constexpr std::array<MainTab, 6> allMainTabs{MainTab::Dashboard, MainTab::Atendimentos,   MainTab::Clientes,
                                                    MainTab::Objetivos, MainTab::Classificacoes, MainTab::Usuarios};

QString mainTabTitle(MainTab tab);
// Freedesktop icon names to try in order; the first one the theme has wins.
QStringList mainTabIconNames(MainTab tab);

} // namespace varnel
