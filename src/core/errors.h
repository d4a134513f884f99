// The exceptions Velt raises. Every failure the user may see is one of these;
// the application's error report shows what() as the message.
#pragma once
#include <stdexcept>
#include <string>

namespace velt {

// Base of every Velt failure: carries the message as the user will read it
// (8-bit, ANSI code page).
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

// A file could not be created or replaced ("Cannot create file ...").
class EFileCreateError : public Exception { using Exception::Exception; };
// A file could not be opened ("Cannot open file ...").
class EFileOpenError : public Exception { using Exception::Exception; };
// A text could not be converted ("'x' is not a valid integer value").
class EConvertError : public Exception { using Exception::Exception; };
// An export write failed; Code() is the system error code.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int code) : Exception(std::move(message)), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};
// The table holds more than the vault format can carry.
class ETooManyEntries : public Exception { using Exception::Exception; };
// The clipboard could not be opened.
class EClipboardError : public Exception { using Exception::Exception; };

} // namespace velt
