#include "base/Errors.h"

#include <QStringDecoder>

namespace varnel {

VarnelError::VarnelError(QString description) : m_description(std::move(description)), m_utf8(m_description.toUtf8()) {}

BackendError::BackendError(int status, QString message, std::optional<QString> code, std::optional<QString> details,
                           std::optional<QString> hint)
    : VarnelError(std::move(message)), m_status(status), m_code(std::move(code)), m_details(std::move(details)),
      m_hint(std::move(hint)) {}

namespace {
QString httpErrorText(int status, const QByteArray &body) {
  QString text = QStringLiteral("Status Code: %1").arg(status);
  // Only a body that is valid UTF-8 is shown; anything else would be noise.
  auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = decoder(body);
  if (!decoder.hasError())
    text += QStringLiteral(" Body: ") + decoded;
  return text;
}
} // namespace

HttpError::HttpError(int status, const QByteArray &body)
    : VarnelError(httpErrorText(status, body)), m_status(status), m_body(body) {}

} // namespace varnel
