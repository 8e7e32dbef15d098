#pragma once
// A person who can be responsible for visits ("responsavel_pelo_atendimento").

#include "model/WireCoding.h"

namespace varnel {

struct ResponsavelPeloAtendimento {
  QUuid id;
  QString nome;
  std::optional<QString> email;
  std::optional<QString> cidade;
  std::optional<QString> role;
  std::optional<QString> assinaturaPath;

  bool operator==(const ResponsavelPeloAtendimento &) const = default;
};

inline size_t qHash(const ResponsavelPeloAtendimento &v, size_t seed = 0) { return wire::hashRecord(v, seed); }

} // namespace varnel

template <> struct varnel::wire::RecordTraits<varnel::ResponsavelPeloAtendimento> {
  using R = varnel::ResponsavelPeloAtendimento;
  static constexpr auto fields = std::make_tuple(
      Field<R, QUuid>{"id", &R::id}, Field<R, QString>{"nome", &R::nome},
      Field<R, std::optional<QString>>{"email", &R::email}, Field<R, std::optional<QString>>{"cidade", &R::cidade},
      Field<R, std::optional<QString>>{"role", &R::role},
      Field<R, std::optional<QString>>{"assinatura_path", &R::assinaturaPath});
};
