// The one exception tree of the system, rooted at Exception.
// Every error that crosses a layer boundary is one of these; EAbort is the
// silent exception that unwinds without a message box.
#pragma once

#include <exception>
#include <string>

using AnsiString = std::string;  // Windows-1252 bytes, one per character

class Exception : public std::exception {
public:
  explicit Exception(AnsiString message, int helpContext = 0)
      : message_(std::move(message)), helpContext_(helpContext) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const AnsiString& Message() const { return message_; }
  void SetMessage(const AnsiString& m) { message_ = m; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int h) { helpContext_ = h; }
  virtual const char* ClassName() const { return "Exception"; }

private:
  AnsiString message_;
  int helpContext_;
};

#define ORV_DECLARE_EXCEPTION(Name, Base)                                  \
  class Name : public Base {                                               \
  public:                                                                  \
    using Base::Base;                                                      \
    const char* ClassName() const override { return #Name; }               \
  };

ORV_DECLARE_EXCEPTION(EAbort, Exception)
ORV_DECLARE_EXCEPTION(EConvertError, Exception)
ORV_DECLARE_EXCEPTION(EIntError, Exception)
ORV_DECLARE_EXCEPTION(ERangeError, EIntError)
ORV_DECLARE_EXCEPTION(EIntOverflow, EIntError)
ORV_DECLARE_EXCEPTION(EInvalidOperation, Exception)
ORV_DECLARE_EXCEPTION(EInOutError, Exception)
ORV_DECLARE_EXCEPTION(EStreamError, Exception)
ORV_DECLARE_EXCEPTION(EFCreateError, EStreamError)
ORV_DECLARE_EXCEPTION(EFOpenError, EStreamError)
ORV_DECLARE_EXCEPTION(EReadError, EStreamError)
ORV_DECLARE_EXCEPTION(EWriteError, EStreamError)
ORV_DECLARE_EXCEPTION(EListError, Exception)
ORV_DECLARE_EXCEPTION(EStringListError, Exception)
ORV_DECLARE_EXCEPTION(EOutOfMemory, Exception)
inline constexpr char kOutOfMemoryText[] = "Zu wenig Arbeitsspeicher";
ORV_DECLARE_EXCEPTION(EComponentError, Exception)
// An ini file that could not be written (or a name its format refuses).
// ErrorCode is the system's error number of the step that failed (errno:
// no space, no rights, read-only medium ...), 0 for a refused name.
class EIniFileException : public Exception {
public:
  explicit EIniFileException(AnsiString message, int errorCode = 0)
      : Exception(std::move(message)), errorCode_(errorCode) {}
  const char* ClassName() const override { return "EIniFileException"; }
  int ErrorCode() const { return errorCode_; }

private:
  int errorCode_;
};

// Raises EAbort: ends the current operation without a message.
[[noreturn]] inline void Abort() { throw EAbort("Operation aborted"); }
