// One way for the Qt-free cores to report a failure: a Status (success, or a
// failure with the sentence that says why) or a Result<T> (a value, or the
// failure). Cores return them and never print; the window or the command
// line turns the message into text for the user. No exception crosses a
// core's interface: a core that calls something that throws catches it and
// returns the failure.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace crvl {

class [[nodiscard]] Status {
public:
    static Status Ok() { return Status(); }
    static Status Error(std::string message) { return Status(std::move(message), false); }

    bool ok() const { return ok_; }
    // Empty on success.
    const std::string& message() const { return message_; }

    bool operator==(const Status&) const = default;

private:
    Status() = default;
    Status(std::string message, bool ok) : message_(std::move(message)), ok_(ok) {}

    std::string message_;
    bool ok_ = true;
};

template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    // A failed Status; a Result is never made from Status::Ok().
    Result(Status failure) : state_(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    // Only on success.
    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    // Status::Ok() on success.
    Status status() const { return ok() ? Status::Ok() : std::get<Status>(state_); }
    // Empty on success.
    const std::string& message() const {
        static const std::string none;
        return ok() ? none : std::get<Status>(state_).message();
    }

private:
    std::variant<T, Status> state_;
};

} // namespace crvl
