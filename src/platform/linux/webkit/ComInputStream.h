// A GInputStream reading an IStream: a response body goes to WebKit as the
// host's stream yields it, never copied whole. WebKit reads it from worker
// threads (the host's response streams are agile), or in place on its own
// thread when every read is cheap.
#pragma once

#include <gio/gio.h>

#include "com/ComBase.h"

namespace zel::webkit {

// Holds a reference to `stream` until the GInputStream is finalized.
// `inPlace`: each read decodes only the bytes it returns (a whole answer read
// from the start), never a long way of the cipher that a read from the middle
// of a large package entry may have to run first.
GInputStream* NewComInputStream(IStream* stream, bool inPlace);

}  // namespace zel::webkit
