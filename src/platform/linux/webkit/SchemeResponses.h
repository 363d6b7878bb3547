// Answers to app: requests: from a host's response object, from the file the
// address names, or a refusal.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

#include "platform/linux/webkit/Headers.h"

namespace zel::webkit {

struct TServeOptions {
  // The main frame's document: a missing file ends the navigation with an
  // error (WebKit's error page) instead of a 404 page.
  bool MainDocument = false;
  // The request's origin when it may read the answer cross-origin (local
  // origins only); empty otherwise.
  std::string AllowOrigin;
};

// The request's headers, in WebKit's order.
THeaderList HeaderListOf(SoupMessageHeaders* headers);
THeaderList RequestHeaders(WebKitURISchemeRequest* request);

// Best effort: the kind of resource, judged from the Accept header.
COREWEBVIEW2_WEB_RESOURCE_CONTEXT ContextFromHeaders(const THeaderList& headers);

// The Origin header when both it and the requesting page are local.
std::string LocalOriginOf(const THeaderList& headers, const std::string& pageUri);

// The Content-Type of a file, by its name (and by its content where the
// name does not tell).
std::string ContentTypeOf(const std::string& path);
// The local file an app: or file: address names; empty when it names none.
std::string FilePathOf(const char* uri);
// The headers a host's response object carries.
THeaderList HeadersOf(ICoreWebView2WebResourceResponse* response);

void RespondWithFile(WebKitURISchemeRequest* request, const TServeOptions& options);
void RespondWithObject(WebKitURISchemeRequest* request, ICoreWebView2WebResourceResponse* response,
                       const TServeOptions& options);
void RespondWithStatus(WebKitURISchemeRequest* request, int status, const TServeOptions& options);
void FailRequest(WebKitURISchemeRequest* request, int webkitNetworkError, const char* message);

// A request of a web view that is not the host's (the runtime's own windows).
void ServeUnattended(WebKitURISchemeRequest* request);

}  // namespace zel::webkit
