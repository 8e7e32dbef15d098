#pragma once
// The texts a visit report prints: placeholders for missing values, CPF and
// CNPJ grouping, the one-line address, dates and the report's file name.

#include "reports/AtendimentoExternoPDFPayload.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace varnel {

// Trimmed text, or "-" when absent or blank.
QString displayValue(const std::optional<QString> &text);

// 11 digits as 000.000.000-00; anything else as displayValue of the text.
QString reportCPF(const std::optional<QString> &cpf);
// 14 digits as 00.000.000/0000-00; anything else as displayValue of the text.
QString reportCNPJ(const std::optional<QString> &cnpj);

// Street, district, city, state and postal code, the non-blank ones joined by
// " - "; "-" when nothing is left or there is no customer.
QString reportAddress(const std::optional<Cliente> &cliente);

// "dd/MM/yyyy" in local time, or "-" when absent.
QString reportDate(const std::optional<QDateTime> &date);
// "dd/MM/yyyy HH:mm" in local time: the generation stamp.
QString reportDateTime(const QDateTime &dateTime);

// The customer's name folded to plain ASCII letters, digits, "_" and "-",
// with every other run of characters turned into one "-".
QString reportFileSlug(const QString &name);
// "relatorio-atendimento-<slug>-<first 8 of the visit id>.pdf"; the slug comes
// from the trade name, else the legal name, else "atendimento".
QString reportFileName(const AtendimentoExternoPDFPayload &payload);

// Whether the report gets its second page: images, or image notes that are
// not blank.
bool needsImagesPage(const AtendimentoExternoPDFPayload &payload);

} // namespace varnel
