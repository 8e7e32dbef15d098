#include "model/AtendimentoExterno.h"

namespace varnel {

AtendimentoExterno AtendimentoExterno::create(const QUuid &clienteId, const QUuid &responsavelId) {
  AtendimentoExterno visit;
  visit.id = QUuid::createUuid();
  visit.clienteId = clienteId;
  visit.responsavelId = responsavelId;
  visit.dataVisita = QDateTime::currentDateTime();
  return visit;
}

QStringList AtendimentoExterno::imagePaths() const {
  QStringList paths;
  for (const auto *slot : {&imagem1Path, &imagem2Path, &imagem3Path, &imagem4Path}) {
    if (!*slot)
      continue;
    const QString trimmed = (*slot)->trimmed();
    if (!trimmed.isEmpty())
      paths.push_back(trimmed);
  }
  return paths;
}

} // namespace varnel
