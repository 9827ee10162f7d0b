#pragma once
// What an address-book operation gives back: a value, or the reason it failed.

#include <optional>
#include <string>
#include <utility>

namespace dorvane {

struct StoreError {
    enum Kind {
        CannotOpen,      // missing file, not a database, locked beyond the busy wait
        StatementFailed, // the database refused the statement; nothing was changed
    };
    Kind kind;
    std::string message; // the detail, for the log or the error box (UTF-8 from SQLite)
    // The server could not give an encrypted connection and a password exchange that keeps the
    // password to itself, so it was not sent.
    bool insecureServer = false;
};

template <typename T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(StoreError error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    const StoreError& error() const { return *error_; }

private:
    std::optional<T> value_;
    std::optional<StoreError> error_;
};

template <>
class Result<void> {
public:
    Result() = default;
    Result(StoreError error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const StoreError& error() const { return *error_; }

private:
    std::optional<StoreError> error_;
};

} // namespace dorvane
