#include "registry/DocumentMask.h"

#include <QList>

#include <optional>

namespace varnel {

namespace {

// Where each separator goes: before the digit at that (zero-based) index.
struct Separator {
  int before;
  char32_t mark;
};

constexpr Separator kCpfMarks[] = {{3, U'.'}, {6, U'.'}, {9, U'-'}};
constexpr Separator kCnpjMarks[] = {{2, U'.'}, {5, U'.'}, {8, U'/'}, {12, U'-'}};

template <size_t N> QString applyMask(const QString &digits, int limit, const Separator (&marks)[N]) {
  const QList<uint> points = documentDigits(digits, limit).toUcs4();
  QString text;
  for (qsizetype i = 0; i < points.size(); ++i) {
    for (const Separator &mark : marks) {
      if (mark.before == i)
        text.append(QChar(mark.mark));
    }
    const char32_t point = points.at(i);
    text.append(QString::fromUcs4(&point, 1));
  }
  return text;
}

// Number of numeric characters in text before position.
int digitsBefore(const QString &text, int position) {
  return static_cast<int>(documentDigits(text.left(position)).toUcs4().size());
}

// The position in masked just after its count-th digit (0: the start).
int positionAfterDigits(const QString &masked, int count) {
  if (count <= 0)
    return 0;
  int seen = 0;
  for (int i = 0; i < masked.size(); ++i) {
    const QChar c = masked.at(i);
    if (c.isHighSurrogate() && i + 1 < masked.size()) {
      if (QChar::isNumber(QChar::surrogateToUcs4(c, masked.at(i + 1))))
        ++seen;
      ++i;
    } else if (c.isNumber()) {
      ++seen;
    }
    if (seen == count)
      return i + 1;
  }
  return static_cast<int>(masked.size());
}

template <size_t N> MaskedEdit edit(const QString &typed, int cursor, int limit, const Separator (&marks)[N]) {
  MaskedEdit result;
  result.digits = documentDigits(typed, limit);
  result.text = applyMask(result.digits, limit, marks);
  result.cursor = positionAfterDigits(result.text, std::min(digitsBefore(typed, cursor), limit));
  return result;
}

} // namespace

QString documentDigits(const QString &text, int limit) {
  QString digits;
  int count = 0;
  for (const char32_t c : text.toUcs4()) {
    if (limit >= 0 && count >= limit)
      break;
    if (QChar::isNumber(c)) {
      digits.append(QString::fromUcs4(&c, 1));
      ++count;
    }
  }
  return digits;
}

QString maskCpf(const QString &digits) { return applyMask(digits, kCpfDigits, kCpfMarks); }
QString maskCnpj(const QString &digits) { return applyMask(digits, kCnpjDigits, kCnpjMarks); }

QString showCpf(const std::optional<QString> &cpf) { return cpf ? maskCpf(*cpf) : QString(); }
QString showCnpj(const std::optional<QString> &cnpj) { return cnpj ? maskCnpj(*cnpj) : QString(); }

MaskedEdit editCpf(const QString &typed, int cursor) { return edit(typed, cursor, kCpfDigits, kCpfMarks); }
MaskedEdit editCnpj(const QString &typed, int cursor) { return edit(typed, cursor, kCnpjDigits, kCnpjMarks); }

} // namespace varnel
