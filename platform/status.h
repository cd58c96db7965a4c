#pragma once

#include <string>
#include <utility>

namespace vestral {

// The outcome of a file routine or an operation: ok, or what went wrong in words a
// user can act on (the file, the byte offset, what was expected).
class [[nodiscard]] Status {
 public:
  enum class Code { kOk, kCorruption, kIOError, kInvalidArgument, kNotFound };

  Status() = default;
  static Status OK() { return Status(); }
  static Status Corruption(std::string msg) { return Status(Code::kCorruption, std::move(msg)); }
  static Status IOError(std::string msg) { return Status(Code::kIOError, std::move(msg)); }
  // Nothing to open at the path: no such file (also a link to none) or no such folder.
  static Status NotFound(std::string msg) { return Status(Code::kNotFound, std::move(msg)); }
  static Status InvalidArgument(std::string msg) {
    return Status(Code::kInvalidArgument, std::move(msg));
  }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  bool IsCorruption() const { return code_ == Code::kCorruption; }
  bool IsIOError() const { return code_ == Code::kIOError; }
  bool IsInvalidArgument() const { return code_ == Code::kInvalidArgument; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  const std::string& message() const { return message_; }
  std::string ToString() const { return ok() ? std::string("OK") : message_; }

 private:
  Status(Code code, std::string msg) : code_(code), message_(std::move(msg)) {}

  Code code_ = Code::kOk;
  std::string message_;
};

}  // namespace vestral
