// app: requests of the host's web view, and media requests of its pages
// that come through the relay: the WebResourceRequested event, then the
// host's answer or the file itself.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A body read from a host's response stream.
TRelayAnswer StreamAnswer(int status, std::string reason, THeaderList headers,
                          TComPtr<IStream> content) {
  TRelayAnswer answer{status, std::move(reason), std::move(headers), {}, {}};
  if (!content) return answer;
  // Used only when the headers give no length: what is left of the stream.
  STATSTG stat{};
  std::uint64_t position = 0;
  if (SUCCEEDED(content->Seek(0, kStreamSeekCur, &position)) &&
      SUCCEEDED(content->Stat(&stat, 1)) && stat.cbSize >= position)
    answer.Length = stat.cbSize - position;
  answer.Read = [content](char* buffer, std::size_t size) -> std::ptrdiff_t {
    ULONG read = 0;
    if (FAILED(content->Read(buffer, static_cast<ULONG>(size), &read))) return -1;
    return static_cast<std::ptrdiff_t>(read);
  };
  return answer;
}

// The file itself, as the app: scheme serves it when the host does not.
TRelayAnswer FileAnswer(const std::string& hostUri) {
  const std::string path = FilePathOf(hostUri.c_str());
  const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (fd >= 0) close(fd);
    return TMediaRelay::StatusAnswer(404);
  }
  TRelayAnswer answer{200, "OK", {{"Content-Type", ContentTypeOf(path)}}, {}, {}};
  answer.Length = static_cast<std::uint64_t>(info.st_size);
  auto file = std::shared_ptr<int>(new int(fd), [](int* f) {
    close(*f);
    delete f;
  });
  answer.Read = [file](char* buffer, std::size_t size) -> std::ptrdiff_t {
    return read(*file, buffer, size);
  };
  return answer;
}

}  // namespace

void TWebView::ServeRelayed(const std::string& hostUri, const TRelayRequest& request,
                            TMediaRelay::TReply reply) {
  // The page that was given the relay's address may since have gone.
  if (!uri::IsLocalPage(FSource)) return reply(TMediaRelay::StatusAnswer(403));
  const std::string allowOrigin = LocalOriginOf(request.Headers, FSource);
  auto finish = [reply, allowOrigin](TRelayAnswer answer) {
    if (!allowOrigin.empty() && !FindHeaderValue(answer.Headers, "Access-Control-Allow-Origin"))
      answer.Headers.emplace_back("Access-Control-Allow-Origin", allowOrigin);
    reply(std::move(answer));
  };
  constexpr auto context = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA;
  if (FWebResourceRequested.Empty() || !FilterMatches(hostUri, context))
    return finish(FileAnswer(hostUri));

  // What the page server sees is what an app: request would show it.
  THeaderList headers;
  for (const auto& header : request.Headers)
    if (!SameHeaderName(header.first, "Host")) headers.push_back(header);
  auto requestObject = MakeCom<TWebResourceRequest, ICoreWebView2WebResourceRequest>(
      hostUri, request.Method, TComPtr<IStream>(), std::move(headers));
  auto args = MakeCom<TWebResourceRequestedArgs>(
      std::move(requestObject), context,
      [hostUri, finish](ICoreWebView2WebResourceResponse* response) {
        if (!response) return finish(FileAnswer(hostUri));
        int status = 200;
        response->get_StatusCode(&status);
        if (status < 100 || status > 999) status = 200;
        LPWSTR reasonText = nullptr;
        response->get_ReasonPhrase(&reasonText);
        std::string reason = FromWide(reasonText);
        CoTaskMemFree(reasonText);
        THeaderList answerHeaders = HeadersOf(response);
        if (!FindHeaderValue(answerHeaders, "Content-Type"))
          answerHeaders.emplace_back("Content-Type", ContentTypeOf(FilePathOf(hostUri.c_str())));
        TComPtr<IStream> content;
        response->get_Content(content.Put());
        finish(
            StreamAnswer(status, std::move(reason), std::move(answerHeaders), std::move(content)));
      });
  FWebResourceRequested.Raise(Self(),
                              static_cast<ICoreWebView2WebResourceRequestedEventArgs*>(args.Get()));
  args->HandlersDone();
}

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
