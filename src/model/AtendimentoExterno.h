#pragma once
// One external visit ("atendimento_externo").

#include "model/WireCoding.h"

#include <QStringList>

namespace varnel {

struct AtendimentoExterno {
  QUuid id;
  QUuid clienteId;
  QUuid responsavelId;
  QDateTime dataVisita;
  std::optional<QDateTime> dataRelatorio;
  std::optional<QDateTime> dataHoraFinalizandoAtendimento;
  std::optional<QUuid> objetivoId;
  std::optional<QString> objetivoOutros;
  std::optional<QUuid> classificacaoId;
  std::optional<QString> relatorio;
  std::optional<QString> participantes;
  // Positions as "POINT(longitude latitude)" or whatever text the row holds.
  std::optional<QString> localizacao;
  std::optional<QString> geofinalizado;
  std::optional<QString> imagem1Path;
  std::optional<QString> imagem2Path;
  std::optional<QString> imagem3Path;
  std::optional<QString> imagem4Path;
  std::optional<QString> imagensObservacoes;
  std::optional<QDateTime> createdAt;
  std::optional<QDateTime> updatedAt;
  std::optional<QDateTime> deletedAt;

  // A new visit: fresh id, visit date now, everything optional absent.
  static AtendimentoExterno create(const QUuid &clienteId, const QUuid &responsavelId);

  // The non-blank image paths, trimmed, in slot order.
  QStringList imagePaths() const;

  bool operator==(const AtendimentoExterno &) const = default;
};

inline size_t qHash(const AtendimentoExterno &v, size_t seed = 0) { return wire::hashRecord(v, seed); }

} // namespace varnel

template <> struct varnel::wire::RecordTraits<varnel::AtendimentoExterno> {
  using R = varnel::AtendimentoExterno;
  using OText = std::optional<QString>;
  using ODate = std::optional<QDateTime>;
  using OId = std::optional<QUuid>;
  static constexpr auto fields = std::make_tuple(
      Field<R, QUuid>{"id", &R::id}, Field<R, QUuid>{"cliente_id", &R::clienteId},
      Field<R, QUuid>{"responsavel_id", &R::responsavelId}, Field<R, QDateTime>{"data_visita", &R::dataVisita},
      Field<R, ODate>{"data_relatorio", &R::dataRelatorio},
      Field<R, ODate>{"datahorafinalizandoatendimento", &R::dataHoraFinalizandoAtendimento},
      Field<R, OId>{"objetivo_id", &R::objetivoId}, Field<R, OText>{"objetivo_outros", &R::objetivoOutros},
      Field<R, OId>{"classificacao_id", &R::classificacaoId}, Field<R, OText>{"relatorio", &R::relatorio},
      Field<R, OText>{"participantes", &R::participantes}, LocationField<R>{"localizacao", &R::localizacao},
      LocationField<R>{"geofinalizado", &R::geofinalizado}, Field<R, OText>{"imagem_1_path", &R::imagem1Path},
      Field<R, OText>{"imagem_2_path", &R::imagem2Path}, Field<R, OText>{"imagem_3_path", &R::imagem3Path},
      Field<R, OText>{"imagem_4_path", &R::imagem4Path}, Field<R, OText>{"imagens_observacoes", &R::imagensObservacoes},
      Field<R, ODate>{"created_at", &R::createdAt}, Field<R, ODate>{"updated_at", &R::updatedAt},
      Field<R, ODate>{"deleted_at", &R::deletedAt});
};
