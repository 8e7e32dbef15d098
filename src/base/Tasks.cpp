#include "base/Tasks.h"

namespace varnel {

QString describeFailure(const std::exception_ptr &error) {
  try {
    std::rethrow_exception(error);
  } catch (const VarnelError &failure) {
    return failure.description();
  } catch (const std::exception &failure) {
    return QString::fromUtf8(failure.what());
  } catch (...) {
    return QStringLiteral("Erro desconhecido.");
  }
}

} // namespace varnel
