// The objects of the WebResourceRequested event: request, response and the
// event arguments.
#pragma once

#include <functional>
#include <string>

#include "platform/linux/webkit/Deferral.h"
#include "platform/linux/webkit/Headers.h"

namespace zel::webkit {

class TWebResourceRequest final : public TComObject<ICoreWebView2WebResourceRequest> {
 public:
  TWebResourceRequest(std::string uri, std::string method, TComPtr<IStream> content,
                      THeaderList headers);
  HRESULT get_Uri(LPWSTR* uri) override;
  HRESULT put_Uri(LPCWSTR uri) override;
  HRESULT get_Method(LPWSTR* method) override;
  HRESULT put_Method(LPCWSTR method) override;
  HRESULT get_Content(IStream** content) override;
  HRESULT put_Content(IStream* content) override;
  HRESULT get_Headers(ICoreWebView2HttpRequestHeaders** headers) override;

 private:
  std::string FUri;
  std::string FMethod;
  TComPtr<IStream> FContent;
  TSharedHeaders FHeaders;
};

class TWebResourceResponse final : public TComObject<ICoreWebView2WebResourceResponse> {
 public:
  TWebResourceResponse(TComPtr<IStream> content, int status, std::string reason,
                       THeaderList headers);
  HRESULT get_Content(IStream** content) override;
  HRESULT put_Content(IStream* content) override;
  HRESULT get_Headers(ICoreWebView2HttpResponseHeaders** headers) override;
  HRESULT get_StatusCode(int* statusCode) override;
  HRESULT put_StatusCode(int statusCode) override;
  HRESULT get_ReasonPhrase(LPWSTR* reasonPhrase) override;
  HRESULT put_ReasonPhrase(LPCWSTR reasonPhrase) override;

 private:
  TComPtr<IStream> FContent;
  TSharedHeaders FHeaders;
  int FStatus;
  std::string FReason;
};

class TWebResourceRequestedArgs final
    : public TComObject<ICoreWebView2WebResourceRequestedEventArgs> {
 public:
  // Answer is called once with the response the handlers set (or null),
  // when the handlers have returned and every deferral is complete.
  using TAnswer = std::function<void(ICoreWebView2WebResourceResponse* response)>;

  TWebResourceRequestedArgs(TComPtr<ICoreWebView2WebResourceRequest> request,
                            COREWEBVIEW2_WEB_RESOURCE_CONTEXT context, TAnswer answer);
  HRESULT get_Request(ICoreWebView2WebResourceRequest** request) override;
  HRESULT get_Response(ICoreWebView2WebResourceResponse** response) override;
  HRESULT put_Response(ICoreWebView2WebResourceResponse* response) override;
  HRESULT GetDeferral(ICoreWebView2Deferral** deferral) override;
  HRESULT get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) override;

  void HandlersDone() { FOutcome.HandlersDone(); }

 private:
  TComPtr<ICoreWebView2WebResourceRequest> FRequest;
  TComPtr<ICoreWebView2WebResourceResponse> FResponse;
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT FContext;
  TDeferredOutcome FOutcome;
};

}  // namespace zel::webkit
