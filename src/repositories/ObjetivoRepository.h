#pragma once
// The visit objectives ("objetivo").

#include "model/Objetivo.h"
#include "repositories/CatalogRepository.h"

namespace varnel {

class ObjetivoRepository : public CatalogRepository<Objetivo> {
public:
  explicit ObjetivoRepository(BackendClient &client, QString table = QStringLiteral("objetivo"))
      : CatalogRepository(client, std::move(table)) {}
};

} // namespace varnel
