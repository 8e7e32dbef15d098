#include "registry/CatalogTexts.h"

namespace varnel {

CatalogTexts CatalogTexts::classificacoes() {
  return {QStringLiteral("Classificações"), QStringLiteral("Nova Classificação"),
          QStringLiteral("Editar Classificação"), QStringLiteral("Excluir classificação?"),
          QStringLiteral("Essa ação arquiva a classificação (soft delete).")};
}

CatalogTexts CatalogTexts::objetivos() {
  return {QStringLiteral("Objetivos"), QStringLiteral("Novo Objetivo"), QStringLiteral("Editar Objetivo"),
          QStringLiteral("Excluir objetivo?"), QStringLiteral("Essa ação arquiva o objetivo (soft delete).")};
}

} // namespace varnel
