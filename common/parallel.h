#pragma once

#include <cstddef>
#include <functional>

namespace common {

// Calls work(i) for every i below count, spread over the machine's cores, and returns once
// all calls are done. Calls for different i must be safe side by side. Short runs stay on
// the calling thread, where starting threads would cost more than it saves.
void ForEachIndex(size_t count, const std::function<void(size_t)>& work);

}  // namespace common
