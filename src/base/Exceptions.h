#pragma once
// The exception classes of the class library. Every failure the program
// raises derives from Exception and carries the library's fixed English text.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    void SetMessage(const std::string& message) { message_ = message; }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* ClassName() const { return "Exception"; }

private:
    std::string message_;
};

#define QM_DECLARE_EXCEPTION(Name, Base)                               \
    class Name : public Base {                                         \
    public:                                                            \
        using Base::Base;                                              \
        const char* ClassName() const override { return #Name; }       \
    };

QM_DECLARE_EXCEPTION(EAbort, Exception)
QM_DECLARE_EXCEPTION(EConvertError, Exception)
QM_DECLARE_EXCEPTION(EOutOfMemory, Exception)
QM_DECLARE_EXCEPTION(EDatabaseError, Exception)
QM_DECLARE_EXCEPTION(EListError, Exception)
QM_DECLARE_EXCEPTION(EStringListError, Exception)
QM_DECLARE_EXCEPTION(EStreamError, Exception)
QM_DECLARE_EXCEPTION(EFCreateError, EStreamError)
QM_DECLARE_EXCEPTION(EFOpenError, EStreamError)
QM_DECLARE_EXCEPTION(EFilerError, EStreamError)
QM_DECLARE_EXCEPTION(EReadError, EFilerError)
QM_DECLARE_EXCEPTION(EWriteError, EFilerError)
QM_DECLARE_EXCEPTION(EComponentError, Exception)
QM_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
QM_DECLARE_EXCEPTION(EIniFileException, Exception)
QM_DECLARE_EXCEPTION(EMathError, Exception)
QM_DECLARE_EXCEPTION(EInvalidOp, EMathError)
QM_DECLARE_EXCEPTION(EZeroDivide, EMathError)
QM_DECLARE_EXCEPTION(EOverflow, EMathError)

// Input/output failure with the operating system's error number.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    const char* ClassName() const override { return "EInOutError"; }
    int ErrorCode;
};

// The silent exception: callers catch it and show nothing.
[[noreturn]] inline void Abort() { throw EAbort("Operation aborted"); }
