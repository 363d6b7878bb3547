#include "platform/linux/webkit/Settings.h"

namespace zel::webkit {

TSettings::TSettings(WebKitSettings* settings)
    : FSettings(TGObjectPtr<WebKitSettings>::Ref(settings)) {}

// WebView2's switch affects the document's own scripts only; scripts of the
// host (ExecuteScript, document-created scripts, the chrome.webview object)
// keep running, which is what WebKit's "JavaScript markup" setting does.
HRESULT TSettings::get_IsScriptEnabled(BOOL* value) {
  return PutBool(webkit_settings_get_enable_javascript_markup(FSettings.Get()), value);
}

HRESULT TSettings::put_IsScriptEnabled(BOOL value) {
  webkit_settings_set_enable_javascript_markup(FSettings.Get(), value != FALSE);
  return S_OK;
}

HRESULT TSettings::get_AreDefaultScriptDialogsEnabled(BOOL* value) {
  return PutBool(FScriptDialogs, value);
}

HRESULT TSettings::put_AreDefaultScriptDialogsEnabled(BOOL value) {
  return Set(FScriptDialogs, value);
}

bool TSettings::DevToolsEnabled() const {
  return webkit_settings_get_enable_developer_extras(FSettings.Get());
}

HRESULT TSettings::get_AreDevToolsEnabled(BOOL* value) {
  return PutBool(DevToolsEnabled(), value);
}

HRESULT TSettings::put_AreDevToolsEnabled(BOOL value) {
  webkit_settings_set_enable_developer_extras(FSettings.Get(), value != FALSE);
  return S_OK;
}

HRESULT TSettings::get_AreDefaultContextMenusEnabled(BOOL* value) {
  return PutBool(FContextMenus, value);
}

HRESULT TSettings::put_AreDefaultContextMenusEnabled(BOOL value) {
  return Set(FContextMenus, value);
}

HRESULT TSettings::get_IsBuiltInErrorPageEnabled(BOOL* value) {
  return PutBool(FErrorPage, value);
}

HRESULT TSettings::put_IsBuiltInErrorPageEnabled(BOOL value) {
  return Set(FErrorPage, value);
}

}  // namespace zel::webkit
