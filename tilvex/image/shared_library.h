// A system library opened on first use instead of at start-up: most runs read no JPEG or
// GIF, and loading and relocating their libraries would cost every run.
#pragma once

#include <dlfcn.h>

namespace tilvex {

// Looks a function up in an opened library; false when it is missing.
template <typename Function>
bool Bind(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

// Opens a library by its file name, searched the usual way; null when it is not there.
inline void* OpenLibrary(const char* name) {
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

}  // namespace tilvex
