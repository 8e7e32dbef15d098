#pragma once
// One catalog's repository behind one value, so a single screen model
// serves both catalogs. Entries travel as CatalogItem, which has the same
// columns as either catalog's record.

#include "model/CatalogEntry.h"
#include "repositories/ClassificacaoRepository.h"
#include "repositories/ObjetivoRepository.h"

#include <variant>

namespace varnel {

struct CatalogItem : CatalogEntry<CatalogItem> {};

class CatalogAccess {
public:
  explicit CatalogAccess(ClassificacaoRepository repository) : m_repository(std::move(repository)) {}
  explicit CatalogAccess(ObjetivoRepository repository) : m_repository(std::move(repository)) {}

  // Each task holds its own copy of the repository.
  QCoro::Task<QList<CatalogItem>> list() const;
  QCoro::Task<void> create(CatalogItem item) const;
  QCoro::Task<void> update(CatalogItem item) const;
  QCoro::Task<void> archive(QUuid id) const;

  const QString &table() const;

private:
  std::variant<ClassificacaoRepository, ObjetivoRepository> m_repository;
};

} // namespace varnel
