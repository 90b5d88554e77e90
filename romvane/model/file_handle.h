#pragma once

// A C file stream closed when it goes out of scope.

#include <cstdio>
#include <memory>

namespace romvane {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace romvane
