#pragma once

#include <string>

namespace vimbrel {

// The outcome of a platform operation. Errors cross the platform boundary as
// values built from errno in one place, never as exceptions.
class Status {
 public:
  Status() = default;
  static Status ok() { return Status(); }
  static Status fromErrno(int error, std::string context);
  static Status error(std::string message);

  bool isOk() const { return code_ == 0 && message_.empty(); }
  explicit operator bool() const { return isOk(); }
  // The errno value behind the failure, or 0 when there is none.
  int code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  Status(int code, std::string message) : code_(code), message_(std::move(message)) {}
  int code_ = 0;
  std::string message_;
};

}  // namespace vimbrel
