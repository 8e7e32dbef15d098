#pragma once
// A customer row of "cliente".

#include "model/WireCoding.h"

namespace varnel {

struct Cliente {
  QUuid id;
  QString nomeRazao;
  std::optional<QString> nomeFantasia;
  std::optional<QString> cpf;
  std::optional<QString> cnpj;
  std::optional<QString> endereco;
  std::optional<QString> bairro;
  std::optional<QString> cep;
  std::optional<QString> cidade;
  std::optional<QString> uf;
  std::optional<QString> telefone;
  std::optional<QString> whatsapp;
  std::optional<QString> email;
  std::optional<QString> codigoExterno;
  std::optional<QDateTime> createdAt;
  std::optional<QDateTime> updatedAt;
  std::optional<QDateTime> deletedAt;

  bool operator==(const Cliente &) const = default;
};

inline size_t qHash(const Cliente &v, size_t seed = 0) { return wire::hashRecord(v, seed); }

} // namespace varnel

template <> struct varnel::wire::RecordTraits<varnel::Cliente> {
  using R = varnel::Cliente;
  static constexpr auto fields = std::make_tuple(
      Field<R, QUuid>{"id", &R::id}, Field<R, QString>{"nome_razao", &R::nomeRazao},
      Field<R, std::optional<QString>>{"nome_fantasia", &R::nomeFantasia},
      Field<R, std::optional<QString>>{"cpf", &R::cpf}, Field<R, std::optional<QString>>{"cnpj", &R::cnpj},
      Field<R, std::optional<QString>>{"endereco", &R::endereco},
      Field<R, std::optional<QString>>{"bairro", &R::bairro}, Field<R, std::optional<QString>>{"cep", &R::cep},
      Field<R, std::optional<QString>>{"cidade", &R::cidade}, Field<R, std::optional<QString>>{"uf", &R::uf},
      Field<R, std::optional<QString>>{"telefone", &R::telefone},
      Field<R, std::optional<QString>>{"whatsapp", &R::whatsapp}, Field<R, std::optional<QString>>{"email", &R::email},
      Field<R, std::optional<QString>>{"codigo_externo", &R::codigoExterno},
      Field<R, std::optional<QDateTime>>{"created_at", &R::createdAt},
      Field<R, std::optional<QDateTime>>{"updated_at", &R::updatedAt},
      Field<R, std::optional<QDateTime>>{"deleted_at", &R::deletedAt});
};
