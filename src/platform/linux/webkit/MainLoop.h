// Work for later on the GLib default main context, the UI thread.
#pragma once

#include <functional>

namespace zel::webkit {

// Runs the function from the main loop, after the current call returns. If
// the loop never runs it, the function is still destroyed.
void RunLater(std::function<void()> work);

}  // namespace zel::webkit
