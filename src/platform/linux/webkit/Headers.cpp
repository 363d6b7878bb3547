#include "platform/linux/webkit/Headers.h"

#include <cctype>

#include "platform/linux/webkit/ComUtils.h"

namespace zel::webkit {

bool SameHeaderName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

const std::pair<std::string, std::string>* Find(const THeaderList& items, std::string_view name) {
  for (const auto& item : items)
    if (SameHeaderName(item.first, name)) return &item;
  return nullptr;
}

THeaderList Matching(const THeaderList& items, std::string_view name) {
  THeaderList out;
  for (const auto& item : items)
    if (SameHeaderName(item.first, name)) out.push_back(item);
  return out;
}

HRESULT MakeIterator(THeaderList items, ICoreWebView2HttpHeadersCollectionIterator** value) {
  if (!value) return E_POINTER;
  return Guard([&] {
    *value = new THeaderIterator(std::move(items));
    return S_OK;
  });
}

HRESULT GetFirst(const THeaderList& items, LPCWSTR name, LPWSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  const auto* item = Find(items, FromWide(name));
  if (!item) return E_INVALIDARG;
  return ToWide(item->second, value);
}

}  // namespace

THeaderList ParseHeaderText(std::string_view text) {
  THeaderList out;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = Trim(line.substr(0, colon));
    if (!name.empty())
      out.emplace_back(std::string(name), std::string(Trim(line.substr(colon + 1))));
  }
  return out;
}

HRESULT THeaderIterator::GetCurrentHeader(LPWSTR* name, LPWSTR* value) {
  if (!name || !value) return E_POINTER;
  *name = *value = nullptr;
  if (FIndex >= FItems.size()) return E_INVALID_STATE;
  HRESULT hr = ToWide(FItems[FIndex].first, name);
  if (SUCCEEDED(hr)) hr = ToWide(FItems[FIndex].second, value);
  if (FAILED(hr)) {
    CoTaskMemFree(*name);
    *name = nullptr;
  }
  return hr;
}

HRESULT THeaderIterator::get_HasCurrentHeader(BOOL* hasCurrent) {
  return PutBool(FIndex < FItems.size(), hasCurrent);
}

HRESULT THeaderIterator::MoveNext(BOOL* hasNext) {
  if (FIndex < FItems.size()) ++FIndex;
  return PutBool(FIndex < FItems.size(), hasNext);
}

HRESULT TRequestHeaders::GetHeader(LPCWSTR name, LPWSTR* value) {
  return Guard([&] { return GetFirst(*FItems, name, value); });
}

HRESULT TRequestHeaders::GetHeaders(LPCWSTR name,
                                    ICoreWebView2HttpHeadersCollectionIterator** value) {
  return Guard([&] { return MakeIterator(Matching(*FItems, FromWide(name)), value); });
}

HRESULT TRequestHeaders::Contains(LPCWSTR name, BOOL* value) {
  return Guard([&] { return PutBool(Find(*FItems, FromWide(name)) != nullptr, value); });
}

HRESULT TRequestHeaders::SetHeader(LPCWSTR name, LPCWSTR value) {
  return Guard([&] {
    std::string key = FromWide(name);
    if (key.empty()) return E_INVALIDARG;
    std::erase_if(*FItems, [&](const auto& item) { return SameHeaderName(item.first, key); });
    FItems->emplace_back(key, FromWide(value));
    return S_OK;
  });
}

HRESULT TRequestHeaders::RemoveHeader(LPCWSTR name) {
  return Guard([&] {
    std::string key = FromWide(name);
    std::erase_if(*FItems, [&](const auto& item) { return SameHeaderName(item.first, key); });
    return S_OK;
  });
}

HRESULT TRequestHeaders::GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) {
  return Guard([&] { return MakeIterator(*FItems, value); });
}

HRESULT TResponseHeaders::AppendHeader(LPCWSTR name, LPCWSTR value) {
  return Guard([&] {
    std::string key = FromWide(name);
    if (key.empty()) return E_INVALIDARG;
    FItems->emplace_back(key, FromWide(value));
    return S_OK;
  });
}

HRESULT TResponseHeaders::Contains(LPCWSTR name, BOOL* value) {
  return Guard([&] { return PutBool(Find(*FItems, FromWide(name)) != nullptr, value); });
}

HRESULT TResponseHeaders::GetHeader(LPCWSTR name, LPWSTR* value) {
  return Guard([&] { return GetFirst(*FItems, name, value); });
}

HRESULT TResponseHeaders::GetHeaders(LPCWSTR name,
                                     ICoreWebView2HttpHeadersCollectionIterator** value) {
  return Guard([&] { return MakeIterator(Matching(*FItems, FromWide(name)), value); });
}

HRESULT TResponseHeaders::GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) {
  return Guard([&] { return MakeIterator(*FItems, value); });
}

}  // namespace zel::webkit
