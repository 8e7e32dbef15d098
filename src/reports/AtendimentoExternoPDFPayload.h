#pragma once
// Everything one visit report prints, gathered by the caller beforehand: the
// report service only draws and writes, it never asks the back-end.

#include "model/AtendimentoExterno.h"
#include "model/Classificacao.h"
#include "model/Cliente.h"
#include "model/Objetivo.h"
#include "model/ResponsavelPeloAtendimento.h"

#include <QImage>
#include <QList>

#include <optional>

namespace varnel {

struct AtendimentoExternoPDFPayload {
  AtendimentoExterno atendimento;
  std::optional<Cliente> cliente;
  std::optional<ResponsavelPeloAtendimento> responsavel; // carried, not printed
  std::optional<QString> assinatura;                     // the responsible person's signature text
  std::optional<Objetivo> objetivo;                      // carried, not printed
  std::optional<Classificacao> classificacao;            // carried, not printed
  QList<QImage> imagens;                                 // decoded images, in path order

  bool operator==(const AtendimentoExternoPDFPayload &) const = default;
};

} // namespace varnel
