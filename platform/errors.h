// The root of Vesko's exceptions, and the error of a failed operating-system call.
// Every unit throws a class derived from EVeskoError with a message for the user; the
// entry points catch them before they reach the host.
#pragma once

#include <stdexcept>
#include <string>

namespace vesko {

class EVeskoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failed system call: the message names what failed and gives the system's reason.
class EOSError : public EVeskoError {
 public:
  // what: the path or the operation that failed; code: GetLastError() or errno.
  EOSError(const std::string& what, int code);
  int code() const { return code_; }

 private:
  int code_;
};

// A failed conversion of a value (dates, numbers), with a fixed message.
class EConvertError : public EVeskoError {
 public:
  using EVeskoError::EVeskoError;
};

}  // namespace vesko
