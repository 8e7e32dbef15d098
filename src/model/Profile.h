#pragma once
// The profile row of a signed-in user ("profiles"), identified by userId.

#include "model/WireCoding.h"

namespace varnel {

struct Profile {
  QUuid userId;
  std::optional<QString> nome;
  std::optional<QString> email;
  std::optional<QString> cidade;
  std::optional<QString> assinatura;
  std::optional<QString> role;
  std::optional<QDateTime> createdAt;
  std::optional<QDateTime> updatedAt;

  bool operator==(const Profile &) const = default;
};

inline size_t qHash(const Profile &v, size_t seed = 0) { return wire::hashRecord(v, seed); }

} // namespace varnel

template <> struct varnel::wire::RecordTraits<varnel::Profile> {
  using R = varnel::Profile;
  static constexpr auto fields = std::make_tuple(
      Field<R, QUuid>{"user_id", &R::userId}, Field<R, std::optional<QString>>{"nome", &R::nome},
      Field<R, std::optional<QString>>{"email", &R::email}, Field<R, std::optional<QString>>{"cidade", &R::cidade},
      Field<R, std::optional<QString>>{"assinatura", &R::assinatura},
      Field<R, std::optional<QString>>{"role", &R::role},
      Field<R, std::optional<QDateTime>>{"created_at", &R::createdAt},
      Field<R, std::optional<QDateTime>>{"updated_at", &R::updatedAt});
};
