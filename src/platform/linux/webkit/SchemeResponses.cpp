#include "platform/linux/webkit/SchemeResponses.h"

#include <gio/gio.h>

#include <optional>

#include "com/ComStreams.h"
#include "com/ReadStream.h"
#include "core/ByteRanges.h"
#include "core/FileSystem.h"
#include "core/StrUtils.h"
#include "platform/linux/webkit/ComInputStream.h"
#include "platform/linux/webkit/ComUtils.h"
#include "platform/linux/webkit/GObjectPtr.h"
#include "platform/linux/webkit/UriMap.h"

namespace zel::webkit {

namespace {

const std::string* FindHeader(const THeaderList& headers, std::string_view name) {
  for (const auto& [key, value] : headers)
    if (SameHeaderName(key, name)) return &value;
  return nullptr;
}

void Send(WebKitURISchemeRequest* request, int status, const std::string& reason,
          const THeaderList& headers, GInputStream* body, gint64 length,
          const TServeOptions& options) {
  auto response =
      TGObjectPtr<WebKitURISchemeResponse>::Adopt(webkit_uri_scheme_response_new(body, length));
  webkit_uri_scheme_response_set_status(response.Get(), static_cast<guint>(status),
                                        reason.empty() ? nullptr : reason.c_str());
  SoupMessageHeaders* soupHeaders = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  // The content type goes both ways: WebKit decodes the body by the one it is
  // given, and shows the page the header.
  for (const auto& [name, value] : headers) {
    if (SameHeaderName(name, "Content-Type"))
      webkit_uri_scheme_response_set_content_type(response.Get(), value.c_str());
    if (!SameHeaderName(name, "Content-Length"))
      soup_message_headers_append(soupHeaders, name.c_str(), value.c_str());
  }
  if (!options.AllowOrigin.empty() && !FindHeader(headers, "Access-Control-Allow-Origin"))
    soup_message_headers_append(soupHeaders, "Access-Control-Allow-Origin",
                                options.AllowOrigin.c_str());
  webkit_uri_scheme_response_set_http_headers(response.Get(), soupHeaders);
  webkit_uri_scheme_request_finish_with_response(request, response.Get());
}

void SendBytes(WebKitURISchemeRequest* request, int status, const std::string& reason,
               const THeaderList& headers, std::string body, const TServeOptions& options) {
  gint64 length = static_cast<gint64>(body.size());
  auto bytes = g_bytes_new_take(g_memdup2(body.data(), body.size()), body.size());
  auto stream = TGObjectPtr<GInputStream>::Adopt(g_memory_input_stream_new_from_bytes(bytes));
  g_bytes_unref(bytes);
  Send(request, status, reason, headers, stream.Get(), length, options);
}

}  // namespace

// Escapes are decoded as a file: address would have them.
std::string FilePathOf(const char* uri) {
  std::string_view address = uri::WithoutFragment(uri);
  address = address.substr(0, address.find('?'));
  std::string fileUri = uri::ToHost(address);
  TGString path(g_filename_from_uri(fileUri.c_str(), nullptr, nullptr));
  return path ? path.get() : std::string();
}

std::string ContentTypeOf(const std::string& path) {
  std::string type = TStrUtils::GetFileMIMEType(path);
  if (type != "application/octet-stream") return type;
  gboolean uncertain = FALSE;
  TGString guess(g_content_type_guess(path.c_str(), nullptr, 0, &uncertain));
  TGString mime(guess ? g_content_type_get_mime_type(guess.get()) : nullptr);
  return mime && !uncertain ? mime.get() : type;
}

THeaderList HeadersOf(ICoreWebView2WebResourceResponse* response) {
  THeaderList headers;
  TComPtr<ICoreWebView2HttpResponseHeaders> collection;
  TComPtr<ICoreWebView2HttpHeadersCollectionIterator> iterator;
  if (FAILED(response->get_Headers(collection.Put())) || !collection ||
      FAILED(collection->GetIterator(iterator.Put())) || !iterator)
    return headers;
  BOOL has = FALSE;
  while (SUCCEEDED(iterator->get_HasCurrentHeader(&has)) && has) {
    LPWSTR name = nullptr, value = nullptr;
    if (SUCCEEDED(iterator->GetCurrentHeader(&name, &value)))
      headers.emplace_back(FromWide(name), FromWide(value));
    CoTaskMemFree(name);
    CoTaskMemFree(value);
    if (FAILED(iterator->MoveNext(&has))) break;
  }
  return headers;
}

THeaderList HeaderListOf(SoupMessageHeaders* headers) {
  THeaderList out;
  if (!headers) return out;
  SoupMessageHeadersIter iter;
  soup_message_headers_iter_init(&iter, headers);
  const char *name, *value;
  while (soup_message_headers_iter_next(&iter, &name, &value)) out.emplace_back(name, value);
  return out;
}

THeaderList RequestHeaders(WebKitURISchemeRequest* request) {
  return HeaderListOf(webkit_uri_scheme_request_get_http_headers(request));
}

COREWEBVIEW2_WEB_RESOURCE_CONTEXT ContextFromHeaders(const THeaderList& headers) {
  const std::string* accept = FindHeader(headers, "Accept");
  if (!accept) return COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER;
  if (accept->starts_with("text/html")) return COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT;
  if (accept->starts_with("text/css")) return COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET;
  if (accept->starts_with("image/")) return COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE;
  return COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER;
}

std::string LocalOriginOf(const THeaderList& headers, const std::string& pageUri) {
  const std::string* origin = FindHeader(headers, "Origin");
  if (!origin || !uri::IsLocalPage(pageUri)) return {};
  // A local page's origin is "app://"; pages without an address send "null".
  if (*origin == "null" || uri::HasScheme(*origin, uri::kAppScheme) ||
      uri::HasScheme(*origin, "file"))
    return *origin;
  return {};
}

void RespondWithFile(WebKitURISchemeRequest* request, const TServeOptions& options) {
  std::string path = FilePathOf(webkit_uri_scheme_request_get_uri(request));
  std::shared_ptr<IReadStream> file = path.empty() ? nullptr : OpenFileReadStream(path);
  if (!file) {
    if (options.MainDocument)
      FailRequest(request, WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST, "File not found");
    else
      RespondWithStatus(request, 404, options);
    return;
  }
  // Whole, or the part a Range header asks for, as the host answers.
  const std::uint64_t size = file->Size();
  const THeaderList requestHeaders = RequestHeaders(request);
  const std::string* rangeHeader = FindHeader(requestHeaders, "Range");
  const TByteRange range = ResolveByteRange(rangeHeader ? *rangeHeader : "", size);
  THeaderList headers{{"Content-Type", ContentTypeOf(path)}, {"Accept-Ranges", "bytes"}};
  int status = 200;
  if (range.Kind != TByteRange::TKind::Whole) {
    headers.emplace_back("Content-Range", ContentRangeValue(range, size));
    status = range.Kind == TByteRange::TKind::Partial ? 206 : 416;
  }
  auto window = MakeCom<TComReadStream, IStream>(file, range.First, range.Length);
  auto body = TGObjectPtr<GInputStream>::Adopt(NewComInputStream(window.Get(), false));
  Send(request, status, soup_status_get_phrase(static_cast<guint>(status)), headers, body.Get(),
       static_cast<gint64>(range.Length), options);
}

void RespondWithObject(WebKitURISchemeRequest* request, ICoreWebView2WebResourceResponse* response,
                       const TServeOptions& options) {
  int status = 200;
  response->get_StatusCode(&status);
  LPWSTR reasonText = nullptr;
  response->get_ReasonPhrase(&reasonText);
  std::string reason = FromWide(reasonText);
  CoTaskMemFree(reasonText);
  THeaderList headers = HeadersOf(response);
  if (!FindHeader(headers, "Content-Type")) {
    std::string path = FilePathOf(webkit_uri_scheme_request_get_uri(request));
    headers.emplace_back("Content-Type", ContentTypeOf(path));
  }
  TComPtr<IStream> content;
  response->get_Content(content.Put());
  if (status < 100 || status > 999) status = 200;
  // Read from the start, as the runtime does; a stream that tells its size
  // is read as WebKit sends it, any other one first whole.
  STATSTG stat{};
  if (content && SUCCEEDED(content->Seek(0, kStreamSeekSet, nullptr)) &&
      SUCCEEDED(content->Stat(&stat, 1 /* STATFLAG_NONAME */))) {
    auto body = TGObjectPtr<GInputStream>::Adopt(NewComInputStream(content.Get(), status == 200));
    return Send(request, status, reason, headers, body.Get(), static_cast<gint64>(stat.cbSize),
                options);
  }
  std::optional<std::string> body = ReadWholeStream(content.Get());
  if (!body)
    return FailRequest(request, WEBKIT_NETWORK_ERROR_FAILED, "The response could not be read");
  SendBytes(request, status, reason, headers, std::move(*body), options);
}

void RespondWithStatus(WebKitURISchemeRequest* request, int status, const TServeOptions& options) {
  std::string reason = soup_status_get_phrase(static_cast<guint>(status));
  SendBytes(request, status, reason, {{"Content-Type", "text/plain; charset=utf-8"}}, reason,
            options);
}

void FailRequest(WebKitURISchemeRequest* request, int webkitNetworkError, const char* message) {
  TGErrorPtr error(g_error_new_literal(WEBKIT_NETWORK_ERROR, webkitNetworkError, message));
  webkit_uri_scheme_request_finish_error(request, error.get());
}

void ServeUnattended(WebKitURISchemeRequest* request) {
  WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
  const char* pageUri = view ? webkit_web_view_get_uri(view) : nullptr;
  TServeOptions options;
  options.AllowOrigin = LocalOriginOf(RequestHeaders(request), pageUri ? pageUri : "");
  RespondWithFile(request, options);
}

}  // namespace zel::webkit
