#pragma once
// Progress callback of long core operations: reports a percentage 0..100. The windows connect
// it to the progress dialog; command-line tools print it or ignore it.

#include <functional>

namespace rebar {

using ProgressFn = std::function<void(int percent)>;

} // namespace rebar
