// app: requests of the host's web view: the WebResourceRequested event, then
// the host's answer or the file itself.
#include "com/ComStreams.h"
#include "platform/linux/webkit/ResourceObjects.h"
#include "platform/linux/webkit/SchemeResponses.h"
#include "platform/linux/webkit/UriMap.h"
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

namespace {

// The request body (POST and the like); null when there is none.
TComPtr<IStream> RequestBody(WebKitURISchemeRequest* request) {
  auto body = TGObjectPtr<GInputStream>::Adopt(webkit_uri_scheme_request_get_http_body(request));
  if (!body) return {};
  std::string data;
  char buffer[64 * 1024];
  for (;;) {
    gssize read = g_input_stream_read(body.Get(), buffer, sizeof buffer, nullptr, nullptr);
    if (read <= 0) break;
    data.append(buffer, static_cast<std::size_t>(read));
  }
  return MakeCom<TComMemoryStream, IStream>(std::move(data));
}

}  // namespace

void TWebView::ServeRequest(WebKitURISchemeRequest* request) {
  const std::string engineUri = webkit_uri_scheme_request_get_uri(request);
  const bool mainDocument = FNavigation.Provisional && uri::WithoutFragment(engineUri) ==
                                                           uri::WithoutFragment(FNavigation.Uri);
  if (mainDocument && FNavigation.Cancelled)
    return FailRequest(request, WEBKIT_NETWORK_ERROR_CANCELLED, "The navigation was cancelled");
  // WebKit keeps pages from elsewhere away from local files; this is the
  // second lock on that door.
  if (!mainDocument && !uri::IsLocalPage(FSource)) return RespondWithStatus(request, 403, {});

  THeaderList headers = RequestHeaders(request);
  TServeOptions options{mainDocument, LocalOriginOf(headers, FSource)};
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT context =
      mainDocument ? COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT : ContextFromHeaders(headers);
  std::string hostUri = uri::ToHost(uri::WithoutFragment(engineUri));
  if (FWebResourceRequested.Empty() || !FilterMatches(hostUri, context))
    return RespondWithFile(request, options);

  const char* method = webkit_uri_scheme_request_get_http_method(request);
  auto requestObject = MakeCom<TWebResourceRequest, ICoreWebView2WebResourceRequest>(
      hostUri, method ? method : "GET", RequestBody(request), std::move(headers));
  auto held = TGObjectPtr<WebKitURISchemeRequest>::Ref(request);
  auto args = MakeCom<TWebResourceRequestedArgs>(
      std::move(requestObject), context,
      [held, options](ICoreWebView2WebResourceResponse* response) {
        if (response)
          RespondWithObject(held.Get(), response, options);
        else
          RespondWithFile(held.Get(), options);
      });
  FWebResourceRequested.Raise(Self(),
                              static_cast<ICoreWebView2WebResourceRequestedEventArgs*>(args.Get()));
  args->HandlersDone();
}

}  // namespace zel::webkit
