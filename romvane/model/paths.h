#pragma once

#include <string>
#include <string_view>

namespace romvane {

// The file name of a path: the text after its last "/" or "\", so lists written on
// either system read the same on both.
std::string FileNameOf(std::string_view path);

// The base name a list compares titles with: the file name cut before its last ".",
// empty when the name has no ".".
std::string BaseNameOf(std::string_view path);

}  // namespace romvane
