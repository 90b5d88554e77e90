#pragma once

#include <string>
#include <utility>

namespace common {

// The outcome of an operation that can fail. `message` is the program's own text that the
// window shows in a message box; it is empty where the program shows nothing of its own
// (the caller then reports the failure in its own words). `detail` says what went wrong in
// plain English for the command line and for tests.
struct Result {
  bool ok = true;
  std::string message;
  std::string detail;

  static Result Ok() { return {}; }
  static Result Fail(std::string message, std::string detail = {}) {
    return {false, std::move(message), std::move(detail)};
  }
  explicit operator bool() const { return ok; }
  // The best text for a terminal: the message, else the detail.
  const std::string& Text() const { return message.empty() ? detail : message; }
};

}  // namespace common
