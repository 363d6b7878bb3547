// The web-process half of the runtime. WebKit loads this same library into
// every web process as a web extension. It gives each frame its
// window.chrome.webview object, carries messages between that object and the
// UI process, sends the file: requests of local pages to the app: scheme and
// points their media at the media relay. Nothing here touches GTK.
#include <webkit2/webkit-web-extension.h>

#include <cstring>
#include <string>

#include "platform/linux/webkit/ComUtils.h"
#include "platform/linux/webkit/GObjectPtr.h"
#include "platform/linux/webkit/MediaShim.h"
#include "platform/linux/webkit/Protocol.h"
#include "platform/linux/webkit/Shim.h"
#include "platform/linux/webkit/UriMap.h"

namespace zel::webkit {
namespace {

WebKitWebExtension* GExtension = nullptr;
// The media relay's base address, for this run; empty without a relay.
std::string GRelayBase;

// The frame's dispatcher of host messages, as set by its current document.
constexpr const char* kDispatchKey = "zel-dispatch";
// The page's main frame (a GWeakRef), noted when its window object is made.
constexpr const char* kMainFrameKey = "zel-main-frame";

void FreeWeakRef(gpointer data) {
  auto* ref = static_cast<GWeakRef*>(data);
  g_weak_ref_clear(ref);
  delete ref;
}

void NoteMainFrame(WebKitWebPage* page, WebKitFrame* frame) {
  auto* ref = new GWeakRef;
  g_weak_ref_init(ref, frame);
  g_object_set_data_full(G_OBJECT(page), kMainFrameKey, ref, FreeWeakRef);
}

TGObjectPtr<WebKitFrame> MainFrame(WebKitWebPage* page) {
  auto* ref = static_cast<GWeakRef*>(g_object_get_data(G_OBJECT(page), kMainFrameKey));
  return TGObjectPtr<WebKitFrame>::Adopt(ref ? static_cast<WebKitFrame*>(g_weak_ref_get(ref))
                                             : nullptr);
}

// Ties a page's native sender to the frame it was made for. The frame's
// address is read when a message is sent, so page script cannot choose it.
struct TFrameLink {
  guint64 PageId;
  GWeakRef Frame;
};

void FreeFrameLink(gpointer data) {
  auto* link = static_cast<TFrameLink*>(data);
  g_weak_ref_clear(&link->Frame);
  delete link;
}

void SendPageMessage(const char* json, gpointer data) {
  GuardCallback([&] {
    auto* link = static_cast<TFrameLink*>(data);
    WebKitWebPage* page = webkit_web_extension_get_page(GExtension, link->PageId);
    auto frame =
        TGObjectPtr<WebKitFrame>::Adopt(static_cast<WebKitFrame*>(g_weak_ref_get(&link->Frame)));
    if (!page || !frame || !json) return;
    const char* uri = webkit_frame_get_uri(frame.Get());
    GVariant* parameters = g_variant_new("(ss)", json, uri ? uri : "");
    webkit_web_page_send_message_to_view(
        page, webkit_user_message_new(protocol::kPageMessage, parameters), nullptr, nullptr,
        nullptr);
  });
}

// Local frames get their media through the relay, under their page's id.
void InstallMediaShim(JSCContext* context, WebKitWebPage* page, WebKitFrame* frame) {
  const char* uri = webkit_frame_get_uri(frame);
  if (GRelayBase.empty() || !uri::IsLocalPage(uri ? uri : "")) return;
  auto factory = TGObjectPtr<JSCValue>::Adopt(jsc_context_evaluate(context, kMediaShimSource, -1));
  if (factory && jsc_value_is_function(factory.Get())) {
    std::string base = GRelayBase + std::to_string(webkit_web_page_get_id(page)) + "/";
    auto result = TGObjectPtr<JSCValue>::Adopt(
        jsc_value_function_call(factory.Get(), G_TYPE_STRING, base.c_str(), G_TYPE_NONE));
  }
  jsc_context_clear_exception(context);
}

void InstallWebView(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame) {
  if (webkit_frame_is_main_frame(frame)) NoteMainFrame(page, frame);
  auto context =
      TGObjectPtr<JSCContext>::Adopt(webkit_frame_get_js_context_for_script_world(frame, world));
  InstallMediaShim(context.Get(), page, frame);
  auto factory =
      TGObjectPtr<JSCValue>::Adopt(jsc_context_evaluate(context.Get(), kWebViewShimSource, -1));
  if (!factory || !jsc_value_is_function(factory.Get())) {
    jsc_context_clear_exception(context.Get());
    return;
  }
  auto* link = new TFrameLink{webkit_web_page_get_id(page), {}};
  g_weak_ref_init(&link->Frame, frame);
  auto send = TGObjectPtr<JSCValue>::Adopt(
      jsc_value_new_function(context.Get(), nullptr, G_CALLBACK(SendPageMessage), link,
                             FreeFrameLink, G_TYPE_NONE, 1, G_TYPE_STRING));
  auto dispatch = TGObjectPtr<JSCValue>::Adopt(
      jsc_value_function_call(factory.Get(), JSC_TYPE_VALUE, send.Get(), G_TYPE_NONE));
  if (dispatch && jsc_value_is_function(dispatch.Get()))
    g_object_set_data_full(G_OBJECT(frame), kDispatchKey, dispatch.Detach(), g_object_unref);
  jsc_context_clear_exception(context.Get());
}

void OnWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame,
                           gpointer) {
  GuardCallback([&] { InstallWebView(world, page, frame); });
}

void DeliverHostMessage(WebKitWebPage* page, const char* json) {
  TGObjectPtr<WebKitFrame> frame = MainFrame(page);
  if (!frame) return;
  // Asking for the context makes sure the current document has its object:
  // WebKit makes the window object (and we the dispatcher) on first use.
  auto context = TGObjectPtr<JSCContext>::Adopt(webkit_frame_get_js_context(frame.Get()));
  auto* dispatch = static_cast<JSCValue*>(g_object_get_data(G_OBJECT(frame.Get()), kDispatchKey));
  if (!dispatch) return;
  auto result = TGObjectPtr<JSCValue>::Adopt(
      jsc_value_function_call(dispatch, G_TYPE_STRING, json, G_TYPE_NONE));
  if (context) jsc_context_clear_exception(context.Get());
}

gboolean OnUserMessage(WebKitWebPage* page, WebKitUserMessage* message, gpointer) {
  return GuardCallback(FALSE, [&]() -> gboolean {
    if (std::strcmp(webkit_user_message_get_name(message), protocol::kHostMessage) != 0)
      return FALSE;
    GVariant* parameters = webkit_user_message_get_parameters(message);
    if (parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE_STRING))
      DeliverHostMessage(page, g_variant_get_string(parameters, nullptr));
    return TRUE;
  });
}

// Local pages ask for file: addresses; the UI process answers them as app:.
// Pages from anywhere else keep WebKit's own refusal of local files.
gboolean OnSendRequest(WebKitWebPage* page, WebKitURIRequest* request, WebKitURIResponse*,
                       gpointer) {
  GuardCallback([&] {
    const char* target = webkit_uri_request_get_uri(request);
    const char* pageUri = webkit_web_page_get_uri(page);
    if (target && uri::HasScheme(target, "file") && uri::IsLocalPage(pageUri ? pageUri : ""))
      webkit_uri_request_set_uri(request, uri::ToEngine(target).c_str());
  });
  return FALSE;
}

void OnPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) {
  g_signal_connect(page, "send-request", G_CALLBACK(OnSendRequest), nullptr);
  g_signal_connect(page, "user-message-received", G_CALLBACK(OnUserMessage), nullptr);
}

}  // namespace
}  // namespace zel::webkit

extern "C" ZEL_EXPORT void webkit_web_extension_initialize_with_user_data(
    WebKitWebExtension* extension, const GVariant* userData) {
  auto* data = const_cast<GVariant*>(userData);
  if (!data || !g_variant_is_of_type(data, G_VARIANT_TYPE("(ss)"))) return;
  const char* marker = nullptr;
  const char* relayBase = nullptr;
  g_variant_get(data, "(&s&s)", &marker, &relayBase);
  if (std::strcmp(marker, zel::protocol::kExtensionMarker) != 0) return;
  zel::webkit::GExtension = extension;
  zel::webkit::GRelayBase = relayBase;
  g_signal_connect(extension, "page-created", G_CALLBACK(zel::webkit::OnPageCreated), nullptr);
  g_signal_connect(webkit_script_world_get_default(), "window-object-cleared",
                   G_CALLBACK(zel::webkit::OnWindowObjectCleared), nullptr);
}
