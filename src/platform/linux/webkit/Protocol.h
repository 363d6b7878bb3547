// What the UI process and the web-process extension say to each other. Both
// halves live in this library, so the names only need to agree here.
#pragma once

namespace zel::protocol {

// Web process → view: window.chrome.webview.postMessage; parameters "(ss)":
// the JSON text and the address of the frame whose document sent it.
inline constexpr const char* kPageMessage = "zel.page-message";
// View → web process: a message for the main frame's window.chrome.webview;
// parameter "s": the JSON text.
inline constexpr const char* kHostMessage = "zel.host-message";
// Initialization data "(ss)": this marker, which tells the extension it was
// loaded by our runtime, and the media relay's base address.
inline constexpr const char* kExtensionMarker = "zel-webkit-runtime";

}  // namespace zel::protocol

#define ZEL_EXPORT __attribute__((visibility("default")))
