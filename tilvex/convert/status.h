// Result of an operation that can stop with a message for the user.
#pragma once

#include <string>

namespace tilvex {

struct Status {
  bool ok = true;
  std::string message;  // the user's message (UTF-8); may be empty on a silent failure

  static Status Ok() { return {}; }
  static Status Fail(std::string text) { return {false, std::move(text)}; }
};

}  // namespace tilvex
