// The one error convention of host/, scenefile/, results/ and app/ (docs/architecture.md,
// "Errors"): a function that can fail returns a Status, or a Result<T> when it also gives a
// value, carrying an Error: what kind of failure it is, its one-line message, and, for a
// mistake in an input file, where in the file it is. Exceptions stay inside the libraries
// that throw them (nlohmann json, tinygltf, CLI11, std::bad_alloc) and are caught at the
// edge that calls them; the app alone turns a failure's kind into an exit code.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vantri {

/// What kind of failure an Error is.
enum class Fault {
    Failed,      ///< could not be done: a file not read or written, the plug-in refused
    Input,       ///< the input is wrong: a file's contents or the command line
    OutOfMemory, ///< memory ran out: the plug-in's limit or the machine's
    OutOfRange,  ///< a result beyond the range of numbers (inf or nan)
};

struct Error {
    Fault fault = Fault::Failed;
    std::string message;
    /// Where in an input file the mistake is: a JSON path such as "objects[0].params.X", or
    /// "LINE:COLUMN" for text that is not JSON; empty when the message says it all.
    std::string where;
};

/// A failure to do something, with its message.
inline Error failure(std::string message) {
    return {Fault::Failed, std::move(message), {}};
}
/// A mistake in the input, at `where` in it (empty: nowhere in particular).
inline Error input_error(std::string message, std::string where = {}) {
    return {Fault::Input, std::move(message), std::move(where)};
}

/// Success, or the Error that stopped it.
class [[nodiscard]] Status {
  public:
    Status() = default;
    /// Implicit, so that a function returning Status can `return failure(...)`.
    Status(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    /// The failure; only for a Status that is not ok.
    const Error& error() const {
        assert(error_);
        return *error_;
    }
    const std::string& message() const { return error().message; }

  private:
    std::optional<Error> error_;
};

/// A value, or the Error that kept it from being made.
template <class T> class [[nodiscard]] Result {
  public:
    /// Implicit both, so that a function returning Result<T> can return either.
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    /// The value; only for a Result that is ok.
    T& value() & {
        assert(ok());
        return std::get<0>(state_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(state_));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    /// The failure; only for a Result that is not ok.
    const Error& error() const {
        assert(!ok());
        return std::get<1>(state_);
    }
    const std::string& message() const { return error().message; }
    /// Success, or this Result's failure.
    Status status() const { return ok() ? Status() : Status(error()); }

  private:
    std::variant<T, Error> state_;
};

} // namespace vantri
