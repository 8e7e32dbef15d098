#pragma once
// The five columns that both visit catalogs share. Each catalog is its own
// type (Tag) so that an objective is never mistaken for a classification.

#include "model/WireCoding.h"

namespace varnel {

template <class Tag> struct CatalogEntry {
  QUuid id;
  QString descricao;
  std::optional<QDateTime> createdAt;
  std::optional<QDateTime> updatedAt;
  std::optional<QDateTime> deletedAt;

  bool operator==(const CatalogEntry &) const = default;
};

template <class Tag> size_t qHash(const CatalogEntry<Tag> &v, size_t seed = 0) {
  return wire::hashRecord(static_cast<const Tag &>(v), seed);
}

} // namespace varnel

template <class T>
requires std::is_base_of_v<varnel::CatalogEntry<T>, T>
struct varnel::wire::RecordTraits<T> {
  using E = varnel::CatalogEntry<T>;
  static constexpr auto fields =
      std::make_tuple(Field<T, QUuid>{"id", &T::id}, Field<T, QString>{"descricao", &T::descricao},
                      Field<T, std::optional<QDateTime>>{"created_at", &T::createdAt},
                      Field<T, std::optional<QDateTime>>{"updated_at", &T::updatedAt},
                      Field<T, std::optional<QDateTime>>{"deleted_at", &T::deletedAt});
};
