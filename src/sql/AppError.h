#pragma once

// The program's error: a number, the source (the chain of procedure labels it passed through)
// and a description. Plain C++ so that the database engines can raise it without Qt.

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace bm {

// A statement the database rejected (the provider's 80040E14).
inline constexpr std::int32_t kErrStatementRejected = -2147217900;
// Every other database failure: no connection, connection lost, client library missing (80004005).
inline constexpr std::int32_t kErrGeneral = -2147467259;
// A field name or position that the recordset does not have (800A0CC1).
inline constexpr std::int32_t kErrItemNotFound = -2146825023;
inline constexpr std::int32_t kErrOverflow = 6;
inline constexpr std::int32_t kErrOutOfMemory = 7;

inline constexpr const char *kClosedMessage = "Operation is not allowed when the object is closed.";

class AppError : public std::exception {
public:
    AppError(std::int32_t number, std::string source, std::string description)
        : number_(number), source_(std::move(source)), description_(std::move(description)) {}

    std::int32_t number() const noexcept { return number_; }
    const std::string &source() const noexcept { return source_; }
    const std::string &description() const noexcept { return description_; }
    const char *what() const noexcept override { return description_.c_str(); }

    // Appends a procedure label such as "..modDatabase.Get_Recordset", with no separator.
    AppError &appendLabel(std::string_view label) {
        source_.append(label);
        return *this;
    }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The exception being handled, as an AppError. Call only inside a catch block.
inline AppError currentError() {
    try {
        throw;
    } catch (const AppError &e) {
        return e;
    } catch (const std::bad_alloc &) {
        return AppError(kErrOutOfMemory, {}, "Out of memory");
    } catch (const std::exception &e) {
        return AppError(kErrGeneral, {}, e.what());
    } catch (...) {
        return AppError(kErrGeneral, {}, "Unknown error");
    }
}

// Re-raising tail of a routine that serves others: runs the body; an error leaving it gets the
// routine's label appended to its source and goes on to the caller with number and description
// unchanged.
template <class Body> decltype(auto) reraiseLabelled(std::string_view label, Body &&body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        AppError e = currentError();
        e.appendLabel(label);
        throw e;
    }
}

} // namespace bm
