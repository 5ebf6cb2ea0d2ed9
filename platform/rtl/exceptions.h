// The class library's exception classes that the program raises and catches by kind.
#pragma once

#include <stdexcept>
#include <string>

// Base of every exception the program raises itself; Message is UTF-8 text.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class EConvertError : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EInvalidPointer : public Exception { using Exception::Exception; };
class EOutOfMemory : public Exception { using Exception::Exception; };
class EResNotFound : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
// A failed assertion: the message, then " (<unit>, line <n>)" as the class library writes it.
class EAssertionFailed : public Exception { using Exception::Exception; };

// Streams. A failure of the operating system carries its error number (0 when there was none),
// so that a message for a person can say why.
class EStreamError : public Exception {
 public:
  explicit EStreamError(const std::string& message, int error = 0) : Exception(message), error_(error) {}
  int ErrorCode() const { return error_; }

 private:
  int error_;
};
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };

// Files and operating-system calls.
class EInOutError : public Exception { using Exception::Exception; };
class EOSError : public Exception { using Exception::Exception; };
