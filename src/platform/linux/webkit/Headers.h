// HTTP header collections of requests and responses, and their iterator.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports/WebView2.h"

namespace zel::webkit {

using THeaderList = std::vector<std::pair<std::string, std::string>>;

bool SameHeaderName(std::string_view a, std::string_view b);

// Parses "Name: value" lines separated by CR LF (a bare LF works too).
THeaderList ParseHeaderText(std::string_view text);

class THeaderIterator final : public TComObject<ICoreWebView2HttpHeadersCollectionIterator> {
 public:
  explicit THeaderIterator(THeaderList items) : FItems(std::move(items)) {}
  HRESULT GetCurrentHeader(LPWSTR* name, LPWSTR* value) override;
  HRESULT get_HasCurrentHeader(BOOL* hasCurrent) override;
  HRESULT MoveNext(BOOL* hasNext) override;

 private:
  THeaderList FItems;
  std::size_t FIndex = 0;
};

// The headers shared between a request (or response) object and whoever
// reads them later.
using TSharedHeaders = std::shared_ptr<THeaderList>;

class TRequestHeaders final : public TComObject<ICoreWebView2HttpRequestHeaders> {
 public:
  explicit TRequestHeaders(TSharedHeaders items) : FItems(std::move(items)) {}
  HRESULT GetHeader(LPCWSTR name, LPWSTR* value) override;
  HRESULT GetHeaders(LPCWSTR name, ICoreWebView2HttpHeadersCollectionIterator** value) override;
  HRESULT Contains(LPCWSTR name, BOOL* value) override;
  HRESULT SetHeader(LPCWSTR name, LPCWSTR value) override;
  HRESULT RemoveHeader(LPCWSTR name) override;
  HRESULT GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) override;

 private:
  TSharedHeaders FItems;
};

class TResponseHeaders final : public TComObject<ICoreWebView2HttpResponseHeaders> {
 public:
  explicit TResponseHeaders(TSharedHeaders items) : FItems(std::move(items)) {}
  HRESULT AppendHeader(LPCWSTR name, LPCWSTR value) override;
  HRESULT Contains(LPCWSTR name, BOOL* value) override;
  HRESULT GetHeader(LPCWSTR name, LPWSTR* value) override;
  HRESULT GetHeaders(LPCWSTR name, ICoreWebView2HttpHeadersCollectionIterator** value) override;
  HRESULT GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) override;

 private:
  TSharedHeaders FItems;
};

}  // namespace zel::webkit
