#pragma once

// For tests of what a relative path means: the current folder for a scope.

#include <filesystem>
#include <string>

namespace common::testing {

// Makes `dir` the current folder until the end of the scope, then goes back.
class InFolder {
 public:
  explicit InFolder(const std::string& dir) : back_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InFolder() { std::filesystem::current_path(back_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::filesystem::path back_;
};

}  // namespace common::testing
