// ICoreWebView2Environment: one WebKitWebContext with the app: scheme, the
// web-process extension and the options the host put in the environment.
#pragma once

#include <webkit2/webkit2.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/webkit/ComUtils.h"
#include "platform/linux/webkit/GObjectPtr.h"
#include "platform/linux/webkit/MediaRelay.h"

namespace zel::webkit {

class TWebView;

// What the host asks for through the process environment, as WebView2 reads
// WEBVIEW2_USER_DATA_FOLDER and WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS.
struct TEnvironmentOptions {
  std::string UserDataFolder;
  bool DisableWebSecurity = false;
  bool AutoplayWithoutGesture = false;
};

TEnvironmentOptions ParseEnvironmentOptions(const char* userDataFolder, const char* arguments);

// "major.minor.micro" of the WebKitGTK in use.
std::string RuntimeVersion();

class TEnvironment final : public TComObject<ICoreWebView2Environment> {
 public:
  // Main thread only.
  static TComPtr<TEnvironment> Create();

  HRESULT CreateCoreWebView2Controller(
      HWND parentWindow,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
  HRESULT CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                    LPCWSTR headers,
                                    ICoreWebView2WebResourceResponse** response) override;
  HRESULT get_BrowserVersionString(LPWSTR* versionInfo) override;
  HRESULT add_NewBrowserVersionAvailable(
      ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
      EventRegistrationToken* token) override;
  HRESULT remove_NewBrowserVersionAvailable(EventRegistrationToken token) override;

  WebKitWebContext* Context() const { return FContext.Get(); }
  const TEnvironmentOptions& Options() const { return FOptions; }

  // The web views of this environment, for the media relay to find the one
  // whose page asks.
  void AddView(TWebView* view) { FViews.push_back(view); }
  void RemoveView(TWebView* view) { std::erase(FViews, view); }

 private:
  TEnvironment(TGObjectPtr<WebKitWebContext> context, TEnvironmentOptions options)
      : FContext(std::move(context)), FOptions(std::move(options)) {}
  void ServeRelayed(std::uint64_t pageId, const std::string& hostUri, const TRelayRequest& request,
                    TMediaRelay::TReply reply);

  TGObjectPtr<WebKitWebContext> FContext;
  TEnvironmentOptions FOptions;
  std::unique_ptr<TMediaRelay> FRelay;
  std::vector<TWebView*> FViews;
  // WebKitGTK comes with the system; it never announces a new version.
  TEventList<ICoreWebView2NewBrowserVersionAvailableEventHandler> FVersionHandlers;
};

}  // namespace zel::webkit
