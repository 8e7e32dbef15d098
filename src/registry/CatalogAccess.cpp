#include "registry/CatalogAccess.h"

namespace varnel {

namespace {

template <class Record> CatalogItem toItem(const Record &record) {
  CatalogItem item;
  item.id = record.id;
  item.descricao = record.descricao;
  item.createdAt = record.createdAt;
  item.updatedAt = record.updatedAt;
  item.deletedAt = record.deletedAt;
  return item;
}

template <class Record> Record toRecord(const CatalogItem &item) {
  Record record;
  record.id = item.id;
  record.descricao = item.descricao;
  record.createdAt = item.createdAt;
  record.updatedAt = item.updatedAt;
  record.deletedAt = item.deletedAt;
  return record;
}

template <class Record> QCoro::Task<QList<CatalogItem>> listWith(CatalogRepository<Record> repository) {
  QList<Record> rows = co_await repository.list();
  QList<CatalogItem> items;
  items.reserve(rows.size());
  for (const Record &row : rows)
    items.push_back(toItem(row));
  co_return items;
}

template <class Record> QCoro::Task<void> createWith(CatalogRepository<Record> repository, CatalogItem item) {
  Record record = toRecord<Record>(item);
  co_await repository.create(std::move(record));
}

template <class Record> QCoro::Task<void> updateWith(CatalogRepository<Record> repository, CatalogItem item) {
  Record record = toRecord<Record>(item);
  co_await repository.update(std::move(record));
}

template <class Record> QCoro::Task<void> archiveWith(CatalogRepository<Record> repository, QUuid id) {
  co_await repository.archive(id);
}

} // namespace

QCoro::Task<QList<CatalogItem>> CatalogAccess::list() const {
  return std::visit([](const auto &repository) { return listWith(repository); }, m_repository);
}

QCoro::Task<void> CatalogAccess::create(CatalogItem item) const {
  return std::visit([&item](const auto &repository) { return createWith(repository, item); }, m_repository);
}

QCoro::Task<void> CatalogAccess::update(CatalogItem item) const {
  return std::visit([&item](const auto &repository) { return updateWith(repository, item); }, m_repository);
}

QCoro::Task<void> CatalogAccess::archive(QUuid id) const {
  return std::visit([id](const auto &repository) { return archiveWith(repository, id); }, m_repository);
}

const QString &CatalogAccess::table() const {
  return std::visit([](const auto &repository) -> const QString & { return repository.table(); }, m_repository);
}

} // namespace varnel
