#pragma once
// One error contract for every layer: an operation returns a Result that holds
// either its value or a message saying what failed (file, size, field).

#include <string>
#include <utility>
#include <variant>

namespace kirimo {

struct Error {
    std::string message;  // UTF-8, names what failed
};

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(state_); }
    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const std::string& error() const { return std::get<Error>(state_).message; }

  private:
    std::variant<T, Error> state_;
};

// Result of an operation that yields nothing but success or an error.
template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error.message)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

  private:
    std::string error_;
    bool failed_ = false;
};

inline Error makeError(std::string message) {
    return Error{std::move(message)};
}

}  // namespace kirimo
