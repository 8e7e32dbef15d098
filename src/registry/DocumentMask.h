#pragma once
// The CPF and CNPJ masks of the customer form. A digit is any character
// that represents a number; the masks group the digits as they are typed,
// with no trailing punctuation on a partial number.

#include <QString>

namespace varnel {

struct MaskedEdit {
  QString text;   // what the field shows
  QString digits; // what is stored (empty: no number)
  int cursor = 0; // where the caret goes in text
};

constexpr int kCpfDigits = 11;
constexpr int kCnpjDigits = 14;

// The numeric characters of text, in order, at most limit of them (no limit when negative).
QString documentDigits(const QString &text, int limit = -1);
// ddd.ddd.ddd-dd, from the first 11 digits of digits.
QString maskCpf(const QString &digits);
// dd.ddd.ddd/dddd-dd, from the first 14 digits of digits.
QString maskCnpj(const QString &digits);
// A stored value shown grouped; an absent or digit-free one shows as empty.
QString showCpf(const std::optional<QString> &cpf);
QString showCnpj(const std::optional<QString> &cnpj);

// What a masked field becomes after the user changed its text to typed
// (typing, pasting, deleting) with the caret at cursor: the caret stays
// after the same number of digits as before.
MaskedEdit editCpf(const QString &typed, int cursor);
MaskedEdit editCnpj(const QString &typed, int cursor);

} // namespace varnel
