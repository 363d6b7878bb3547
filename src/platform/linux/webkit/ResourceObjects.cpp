#include "platform/linux/webkit/ResourceObjects.h"

#include <memory>

namespace zel::webkit {

TWebResourceRequest::TWebResourceRequest(std::string uri, std::string method,
                                         TComPtr<IStream> content, THeaderList headers)
    : FUri(std::move(uri)),
      FMethod(std::move(method)),
      FContent(std::move(content)),
      FHeaders(std::make_shared<THeaderList>(std::move(headers))) {}

HRESULT TWebResourceRequest::get_Uri(LPWSTR* uri) {
  return ToWide(FUri, uri);
}

HRESULT TWebResourceRequest::put_Uri(LPCWSTR uri) {
  return Guard([&] {
    FUri = FromWide(uri);
    return S_OK;
  });
}

HRESULT TWebResourceRequest::get_Method(LPWSTR* method) {
  return ToWide(FMethod, method);
}

HRESULT TWebResourceRequest::put_Method(LPCWSTR method) {
  return Guard([&] {
    FMethod = FromWide(method);
    return S_OK;
  });
}

HRESULT TWebResourceRequest::get_Content(IStream** content) {
  return CopyOut(FContent, content);
}

HRESULT TWebResourceRequest::put_Content(IStream* content) {
  FContent = TComPtr<IStream>(content);
  return S_OK;
}

HRESULT TWebResourceRequest::get_Headers(ICoreWebView2HttpRequestHeaders** headers) {
  if (!headers) return E_POINTER;
  return Guard([&] {
    *headers = new TRequestHeaders(FHeaders);
    return S_OK;
  });
}

TWebResourceResponse::TWebResourceResponse(TComPtr<IStream> content, int status, std::string reason,
                                           THeaderList headers)
    : FContent(std::move(content)),
      FHeaders(std::make_shared<THeaderList>(std::move(headers))),
      FStatus(status),
      FReason(std::move(reason)) {}

HRESULT TWebResourceResponse::get_Content(IStream** content) {
  return CopyOut(FContent, content);
}

HRESULT TWebResourceResponse::put_Content(IStream* content) {
  FContent = TComPtr<IStream>(content);
  return S_OK;
}

HRESULT TWebResourceResponse::get_Headers(ICoreWebView2HttpResponseHeaders** headers) {
  if (!headers) return E_POINTER;
  return Guard([&] {
    *headers = new TResponseHeaders(FHeaders);
    return S_OK;
  });
}

HRESULT TWebResourceResponse::get_StatusCode(int* statusCode) {
  if (!statusCode) return E_POINTER;
  *statusCode = FStatus;
  return S_OK;
}

HRESULT TWebResourceResponse::put_StatusCode(int statusCode) {
  FStatus = statusCode;
  return S_OK;
}

HRESULT TWebResourceResponse::get_ReasonPhrase(LPWSTR* reasonPhrase) {
  return ToWide(FReason, reasonPhrase);
}

HRESULT TWebResourceResponse::put_ReasonPhrase(LPCWSTR reasonPhrase) {
  return Guard([&] {
    FReason = FromWide(reasonPhrase);
    return S_OK;
  });
}

TWebResourceRequestedArgs::TWebResourceRequestedArgs(
    TComPtr<ICoreWebView2WebResourceRequest> request, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
    TAnswer answer)
    : FRequest(std::move(request)),
      FContext(context),
      FOutcome([this, answer = std::move(answer)] { answer(FResponse.Get()); }) {}

HRESULT TWebResourceRequestedArgs::get_Request(ICoreWebView2WebResourceRequest** request) {
  return CopyOut(FRequest, request);
}

HRESULT TWebResourceRequestedArgs::get_Response(ICoreWebView2WebResourceResponse** response) {
  return CopyOut(FResponse, response);
}

HRESULT TWebResourceRequestedArgs::put_Response(ICoreWebView2WebResourceResponse* response) {
  FResponse = TComPtr<ICoreWebView2WebResourceResponse>(response);
  return S_OK;
}

HRESULT TWebResourceRequestedArgs::GetDeferral(ICoreWebView2Deferral** deferral) {
  return FOutcome.Take(static_cast<ICoreWebView2WebResourceRequestedEventArgs*>(this), deferral);
}

HRESULT TWebResourceRequestedArgs::get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) {
  if (!context) return E_POINTER;
  *context = FContext;
  return S_OK;
}

}  // namespace zel::webkit
