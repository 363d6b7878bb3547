// Navigation events of the main frame. WebKit's policy decisions do not say
// which frame navigates, but only the main frame's loads reach load-changed;
// so a navigation is announced when it starts there, with what its policy
// decision knew, and a cancelled one is stopped before it commits.
#include "platform/linux/webkit/SchemeResponses.h"
#include "platform/linux/webkit/UriMap.h"
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

namespace {

constexpr std::size_t kMaxCandidates = 16;

COREWEBVIEW2_WEB_ERROR_STATUS ErrorStatus(const GError* error) {
  if (error->domain == WEBKIT_NETWORK_ERROR) {
    return error->code == WEBKIT_NETWORK_ERROR_CANCELLED
               ? COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED
               : COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  }
  if (error->domain == WEBKIT_POLICY_ERROR) return COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED;
  if (error->domain == G_RESOLVER_ERROR)
    return COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED;
  if (error->domain == G_TLS_ERROR) return COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID;
  if (error->domain == G_IO_ERROR) {
    switch (error->code) {
      case G_IO_ERROR_CANCELLED:
        return COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED;
      case G_IO_ERROR_TIMED_OUT:
        return COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT;
      case G_IO_ERROR_CONNECTION_REFUSED:
        return COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT;
      case G_IO_ERROR_HOST_UNREACHABLE:
      case G_IO_ERROR_NETWORK_UNREACHABLE:
        return COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE;
      case G_IO_ERROR_CONNECTION_CLOSED:
        return COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED;
      case G_IO_ERROR_NOT_FOUND:
        return COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
      default:
        break;
    }
  }
  return COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR;
}

// Failures for which WebKit shows no error page.
bool IsInterruption(const GError* error) {
  return g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
         g_error_matches(error, WEBKIT_POLICY_ERROR,
                         WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) ||
         g_error_matches(error, WEBKIT_PLUGIN_ERROR, WEBKIT_PLUGIN_ERROR_WILL_HANDLE_LOAD);
}

THeaderList HeadersOf(WebKitURIRequest* request) {
  return HeaderListOf(webkit_uri_request_get_http_headers(request));
}

}  // namespace

void TWebView::OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* target = request ? webkit_uri_request_get_uri(request) : nullptr;
  if (!target) return;
  FCandidates.push_back(
      {target, webkit_navigation_action_is_user_gesture(action) != FALSE, HeadersOf(request)});
  if (FCandidates.size() > kMaxCandidates) FCandidates.pop_front();
}

TWebView::TCandidate TWebView::TakeCandidate(const std::string& uri) {
  for (auto it = FCandidates.rbegin(); it != FCandidates.rend(); ++it) {
    if (it->Uri != uri) continue;
    TCandidate found = std::move(*it);
    FCandidates.clear();
    return found;
  }
  return {uri, false, {}};
}

void TWebView::StartNavigation(const std::string& uri, bool redirected) {
  if (!redirected) {
    FNavigation = TNavigation{};
    FNavigation.Id = FNextNavigationId++;
    FNavigation.Provisional = true;
  }
  FNavigation.Uri = uri;
  TCandidate candidate = TakeCandidate(uri);
  auto args = MakeCom<TNavigationStartingArgs>(uri::ToHost(uri), candidate.UserGesture, redirected,
                                               std::move(candidate.Headers), FNavigation.Id);
  FNavigationStarting.Raise(Self(),
                            static_cast<ICoreWebView2NavigationStartingEventArgs*>(args.Get()));
  if (args->Cancelled() && !FClosed) {
    FNavigation.Cancelled = true;
    webkit_web_view_stop_loading(FView.Get());
  }
}

void TWebView::OnLoadChanged(WebKitLoadEvent event) {
  const char* current = webkit_web_view_get_uri(FView.Get());
  std::string uri = current ? current : "";
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      if (FNavigation.ErrorPagePending && uri == FNavigation.Uri) {
        FNavigation.ErrorPagePending = false;
        FNavigation.ErrorPage = FNavigation.Provisional = true;
        return;
      }
      return StartNavigation(uri, false);
    case WEBKIT_LOAD_REDIRECTED:
      if (!FNavigation.ErrorPage) StartNavigation(uri, true);
      return;
    case WEBKIT_LOAD_COMMITTED: {
      FNavigation.Provisional = false;
      if (!FNavigation.ErrorPage) {
        auto args = MakeCom<TContentLoadingArgs>(false, FNavigation.Id);
        FContentLoading.Raise(Self(),
                              static_cast<ICoreWebView2ContentLoadingEventArgs*>(args.Get()));
      }
      return UpdateSource(uri, true);
    }
    case WEBKIT_LOAD_FINISHED:
      FNavigation.Provisional = false;
      if (FNavigation.ErrorPage) {
        FNavigation.ErrorPage = false;
        return;
      }
      if (!FNavigation.Failed) UpdateSource(uri, false);
      return CompleteNavigation();
  }
}

bool TWebView::OnLoadFailed(WebKitLoadEvent, const GError* error) {
  FNavigation.Failed = true;
  FNavigation.Status =
      FNavigation.Cancelled ? COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED : ErrorStatus(error);
  if (!FSettings->BuiltInErrorPage()) return true;  // handled: WebKit shows nothing
  FNavigation.ErrorPagePending = !IsInterruption(error);
  return false;
}

void TWebView::CompleteNavigation() {
  if (FNavigation.Completed || FNavigation.Id == 0) return;
  FNavigation.Completed = true;
  bool success = !FNavigation.Failed;
  auto args = MakeCom<TNavigationCompletedArgs>(
      success, success ? COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN : FNavigation.Status,
      FNavigation.Id);
  FNavigationCompleted.Raise(Self(),
                             static_cast<ICoreWebView2NavigationCompletedEventArgs*>(args.Get()));
}

// Addresses that change without a load: fragments, history.pushState. While
// WebKit loads (an API load announces its address before it starts), the
// address is the coming document's; changes made meanwhile are caught up
// when the load finishes.
void TWebView::OnUriChanged() {
  if (FNavigation.Provisional || webkit_web_view_is_loading(FView.Get())) return;
  const char* current = webkit_web_view_get_uri(FView.Get());
  if (current && *current) UpdateSource(current, false);
}

void TWebView::UpdateSource(const std::string& uri, bool newDocument) {
  if (uri.empty() || uri == FSource) return;
  FSource = uri;
  auto args = MakeCom<TSourceChangedArgs>(newDocument);
  FSourceChanged.Raise(Self(), static_cast<ICoreWebView2SourceChangedEventArgs*>(args.Get()));
}

}  // namespace zel::webkit
