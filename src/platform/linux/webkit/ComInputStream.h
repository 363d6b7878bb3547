// A GInputStream reading an IStream: a response body goes to WebKit as the
// host's stream yields it, never copied whole. WebKit reads it from worker
// threads; the host's response streams are agile.
#pragma once

#include <gio/gio.h>

#include "com/ComBase.h"

namespace zel::webkit {

// Holds a reference to `stream` until the GInputStream is finalized.
GInputStream* NewComInputStream(IStream* stream);

}  // namespace zel::webkit
