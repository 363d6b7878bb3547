// The runtime's own browser window, for pages the host lets open in a new
// window (as WebView2 opens them in a window of its own).
#pragma once

#include <webkit2/webkit2.h>

namespace zel::webkit {

// A new web view related to the opener, in a plain window that shows itself
// when WebKit says the page is ready and goes away when the page closes it.
GtkWidget* OpenRuntimeWindow(WebKitWebView* opener);

}  // namespace zel::webkit
