#include "reports/ReportValues.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace varnel {

namespace {

QString digitsOf(const QString &text) {
  QString digits;
  for (const QChar ch : text)
    if (ch.isDigit())
      digits.append(ch);
  return digits;
}

// Places the digits into a pattern where '#' stands for the next digit.
QString grouped(const QString &digits, QStringView pattern) {
  QString out;
  out.reserve(pattern.size());
  qsizetype next = 0;
  for (const QChar ch : pattern)
    out.append(ch == u'#' ? digits.at(next++) : ch);
  return out;
}

QString groupedOrAsStored(const std::optional<QString> &text, qsizetype digitCount, QStringView pattern) {
  if (!text)
    return QStringLiteral("-");
  const QString digits = digitsOf(*text);
  if (digits.size() == digitCount)
    return grouped(digits, pattern);
  return displayValue(text);
}

const QLocale &reportLocale() {
  static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
  return locale;
}

} // namespace

QString displayValue(const std::optional<QString> &text) {
  if (!text)
    return QStringLiteral("-");
  const QString trimmed = text->trimmed();
  return trimmed.isEmpty() ? QStringLiteral("-") : trimmed;
}

QString reportCPF(const std::optional<QString> &cpf) { return groupedOrAsStored(cpf, 11, u"###.###.###-##"); }

QString reportCNPJ(const std::optional<QString> &cnpj) { return groupedOrAsStored(cnpj, 14, u"##.###.###/####-##"); }

QString reportAddress(const std::optional<Cliente> &cliente) {
  if (!cliente)
    return QStringLiteral("-");
  QStringList parts;
  for (const auto *field : {&cliente->endereco, &cliente->bairro, &cliente->cidade, &cliente->uf, &cliente->cep}) {
    if (!*field)
      continue;
    const QString part = (*field)->trimmed();
    if (!part.isEmpty())
      parts.append(part);
  }
  return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(" - "));
}

QString reportDate(const std::optional<QDateTime> &date) {
  if (!date || !date->isValid())
    return QStringLiteral("-");
  return reportLocale().toString(date->toLocalTime(), QStringLiteral("dd/MM/yyyy"));
}

QString reportDateTime(const QDateTime &dateTime) {
  return reportLocale().toString(dateTime.toLocalTime(), QStringLiteral("dd/MM/yyyy HH:mm"));
}

QString reportFileSlug(const QString &name) {
  // Canonical decomposition splits "ã" into "a" and a combining tilde; the
  // marks are then dropped, which folds accents and keeps the base letters.
  const QString decomposed = name.normalized(QString::NormalizationForm_D);
  QString folded;
  folded.reserve(decomposed.size());
  for (const QChar ch : decomposed) {
    const auto category = ch.category();
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
        category == QChar::Mark_Enclosing)
      continue;
    folded.append(ch);
  }
  static const QRegularExpression outside(QStringLiteral("[^A-Za-z0-9_-]+"));
  folded.replace(outside, QStringLiteral("-"));
  qsizetype begin = 0;
  qsizetype end = folded.size();
  while (begin < end && folded.at(begin) == u'-')
    ++begin;
  while (end > begin && folded.at(end - 1) == u'-')
    --end;
  return folded.mid(begin, end - begin);
}

QString reportFileName(const AtendimentoExternoPDFPayload &payload) {
  QString base = QStringLiteral("atendimento");
  if (payload.cliente)
    base = payload.cliente->nomeFantasia.value_or(payload.cliente->nomeRazao);
  const QString id = payload.atendimento.id.toString(QUuid::WithoutBraces).toUpper().left(8);
  return QStringLiteral("relatorio-atendimento-") + reportFileSlug(base) + u'-' + id + QStringLiteral(".pdf");
}

bool needsImagesPage(const AtendimentoExternoPDFPayload &payload) {
  return !payload.imagens.isEmpty() || !payload.atendimento.imagensObservacoes.value_or(QString()).trimmed().isEmpty();
}

} // namespace varnel
