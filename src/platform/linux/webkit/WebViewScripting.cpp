// Scripts and messages: document-created scripts, ExecuteScript, web
// messages to the page and preview capture.
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>

#include <nlohmann/json.hpp>

#include <optional>

#include "com/ComStreams.h"
#include "com/Utf.h"
#include "core/StrUtils.h"
#include "platform/linux/webkit/MainLoop.h"
#include "platform/linux/webkit/Protocol.h"
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

namespace {

// What an async WebKit call needs when it returns: the web view kept alive
// and the host's completion handler.
template <class THandler>
struct TPending {
  TComPtr<TWebView> WebView;
  TComPtr<THandler> Handler;
};

std::string ScriptResultJson(JSCValue* value) {
  if (!value || jsc_value_is_undefined(value)) return "null";
  TGString json(jsc_value_to_json(value, 0));
  return json ? json.get() : "null";
}

std::optional<std::string> EncodeImage(cairo_surface_t* surface,
                                       COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format) {
  std::string bytes;
  if (format == COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG) {
    auto write = [](void* closure, const unsigned char* data, unsigned int length) {
      static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
      return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(surface, write, &bytes) != CAIRO_STATUS_SUCCESS)
      return std::nullopt;
    return bytes;
  }
  int width = cairo_image_surface_get_width(surface),
      height = cairo_image_surface_get_height(surface);
  auto pixbuf =
      TGObjectPtr<GdkPixbuf>::Adopt(gdk_pixbuf_get_from_surface(surface, 0, 0, width, height));
  gchar* buffer = nullptr;
  gsize size = 0;
  if (!pixbuf || !gdk_pixbuf_save_to_buffer(pixbuf.Get(), &buffer, &size, "jpeg", nullptr,
                                            "quality", "90", nullptr))
    return std::nullopt;
  bytes.assign(buffer, size);
  g_free(buffer);
  return bytes;
}

}  // namespace

HRESULT TWebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (!javaScript) return E_INVALIDARG;
  return Guard([&] {
    // After the chrome.webview object (the extension installs it when the
    // window object is made) and in the order added; WebKit keeps that order.
    WebKitUserScript* script =
        webkit_user_script_new(FromWide(javaScript).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    std::string id = std::to_string(FNextScriptId++);
    FScripts.push_back({id, std::unique_ptr<WebKitUserScript, TUserScriptFree>(script)});
    webkit_user_content_manager_add_script(webkit_web_view_get_user_content_manager(FView.Get()),
                                           script);
    if (handler) {
      RunLater([handler = TComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>(
                    handler),
                wide = Utf8ToUtf16(id)] { handler->Invoke(S_OK, wide.c_str()); });
    }
    return S_OK;
  });
}

HRESULT TWebView::RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  return Guard([&] {
    std::string key = FromWide(id);
    auto found = std::find_if(FScripts.begin(), FScripts.end(),
                              [&](const TDocumentScript& s) { return s.Id == key; });
    if (found == FScripts.end()) return S_OK;
    webkit_user_content_manager_remove_script(webkit_web_view_get_user_content_manager(FView.Get()),
                                              found->Script.get());
    FScripts.erase(found);
    return S_OK;
  });
}

HRESULT TWebView::ExecuteScript(LPCWSTR javaScript,
                                ICoreWebView2ExecuteScriptCompletedHandler* handler) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (!javaScript) return E_INVALIDARG;
  return Guard([&] {
    using TState = TPending<ICoreWebView2ExecuteScriptCompletedHandler>;
    auto* state = new TState{TComPtr<TWebView>(this),
                             TComPtr<ICoreWebView2ExecuteScriptCompletedHandler>(handler)};
    std::string script = FromWide(javaScript);
    webkit_web_view_evaluate_javascript(
        FView.Get(), script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr,
        FCancellable.Get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
          std::unique_ptr<TState> state(static_cast<TState*>(data));
          GError* raw = nullptr;
          auto value = TGObjectPtr<JSCValue>::Adopt(
              webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &raw));
          TGErrorPtr error(raw);
          if (!state->Handler || state->WebView->Closed()) return;
          GuardCallback([&] {
            std::u16string json = Utf8ToUtf16(error ? "null" : ScriptResultJson(value.Get()));
            state->Handler->Invoke(error ? E_FAIL : S_OK, json.c_str());
          });
        },
        state);
    return S_OK;
  });
}

HRESULT TWebView::PostJson(const std::string& json) {
  if (!FSettings->WebMessagesEnabled()) return S_OK;  // dropped, as WebView2 drops it
  webkit_web_view_send_message_to_page(
      FView.Get(),
      webkit_user_message_new(protocol::kHostMessage, g_variant_new_string(json.c_str())), nullptr,
      nullptr, nullptr);
  return S_OK;
}

HRESULT TWebView::PostWebMessageAsJson(LPCWSTR webMessageAsJson) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  return Guard([&] {
    std::string json = FromWide(webMessageAsJson);
    if (!nlohmann::json::accept(json)) return E_INVALIDARG;
    return PostJson(json);
  });
}

HRESULT TWebView::PostWebMessageAsString(LPCWSTR webMessageAsString) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  return Guard(
      [&] { return PostJson(TStrUtils::StringToJsonString(FromWide(webMessageAsString))); });
}

HRESULT TWebView::CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
                                 IStream* imageStream,
                                 ICoreWebView2CapturePreviewCompletedHandler* handler) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (!imageStream) return E_INVALIDARG;
  if (imageFormat != COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG &&
      imageFormat != COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG)
    return E_INVALIDARG;
  return Guard([&] {
    struct TState : TPending<ICoreWebView2CapturePreviewCompletedHandler> {
      TComPtr<IStream> Stream;
      COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT Format;
    };
    auto* state = new TState{
        {TComPtr<TWebView>(this), TComPtr<ICoreWebView2CapturePreviewCompletedHandler>(handler)},
        TComPtr<IStream>(imageStream),
        imageFormat};
    webkit_web_view_get_snapshot(
        FView.Get(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE,
        FCancellable.Get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
          std::unique_ptr<TState> state(static_cast<TState*>(data));
          cairo_surface_t* surface =
              webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
          std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> owned(
              surface, cairo_surface_destroy);
          if (state->WebView->Closed()) return;
          GuardCallback([&] {
            std::optional<std::string> bytes =
                surface ? EncodeImage(surface, state->Format) : std::nullopt;
            HRESULT hr = bytes ? WriteWholeStream(state->Stream.Get(), *bytes) : E_FAIL;
            if (state->Handler) state->Handler->Invoke(hr);
          });
        },
        state);
    return S_OK;
  });
}

}  // namespace zel::webkit
