#pragma once
// The one family of failures that back-end operations throw; description()
// is the text that screens show after their own prefix.

#include <QString>

#include <exception>
#include <optional>

namespace varnel {

class VarnelError : public std::exception {
public:
  explicit VarnelError(QString description);
  const QString &description() const noexcept { return m_description; }
  const char *what() const noexcept override { return m_utf8.constData(); }

private:
  QString m_description;
  QByteArray m_utf8;
};

// The back-end answered with its own error object; the text is its "message".
class BackendError : public VarnelError {
public:
  BackendError(int status, QString message, std::optional<QString> code = {}, std::optional<QString> details = {},
               std::optional<QString> hint = {});
  int status() const noexcept { return m_status; }
  const std::optional<QString> &code() const noexcept { return m_code; }
  const std::optional<QString> &details() const noexcept { return m_details; }
  const std::optional<QString> &hint() const noexcept { return m_hint; }

private:
  int m_status;
  std::optional<QString> m_code;
  std::optional<QString> m_details;
  std::optional<QString> m_hint;
};

// An error status whose body is not an error object the service defines.
class HttpError : public VarnelError {
public:
  HttpError(int status, const QByteArray &body);
  int status() const noexcept { return m_status; }
  const QByteArray &body() const noexcept { return m_body; }

private:
  int m_status;
  QByteArray m_body;
};

// A reply that does not have the shape or values the program expects.
class DecodingError : public VarnelError {
public:
  using VarnelError::VarnelError;
};

// The request never got an HTTP reply: no network, refused, timed out.
class TransportError : public VarnelError {
public:
  using VarnelError::VarnelError;
};

} // namespace varnel
