#pragma once
// The visit classifications ("classificacao").

#include "model/Classificacao.h"
#include "repositories/CatalogRepository.h"

namespace varnel {

class ClassificacaoRepository : public CatalogRepository<Classificacao> {
public:
  explicit ClassificacaoRepository(BackendClient &client, QString table = QStringLiteral("classificacao"))
      : CatalogRepository(client, std::move(table)) {}
};

} // namespace varnel
