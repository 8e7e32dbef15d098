#pragma once
// Runs a task to completion on a nested event loop and hands back its value,
// rethrowing what it threw (QCoro::waitFor loses exceptions and then hangs).

#include <QCoroTask>
#include <QEventLoop>

#include <exception>
#include <optional>
#include <type_traits>

namespace varnel::test {

template <class T> T await(QCoro::Task<T> &&task) {
  QEventLoop loop;
  bool done = false;
  std::exception_ptr error;
  std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};
  auto runner = [&](QCoro::Task<T> t) -> QCoro::Task<> {
    try {
      if constexpr (std::is_void_v<T>)
        co_await t;
      else
        result.emplace(co_await t);
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
    loop.quit();
  };
  auto running = runner(std::move(task));
  if (!done)
    loop.exec();
  if (error)
    std::rethrow_exception(error);
  if constexpr (!std::is_void_v<T>)
    return std::move(*result);
}

} // namespace varnel::test
