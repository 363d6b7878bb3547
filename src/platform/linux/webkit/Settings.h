// ICoreWebView2Settings over a web view's WebKitSettings. Flags that WebKit
// has no setting for are kept here and read by the web view and controller.
#pragma once

#include <webkit2/webkit2.h>

#include "platform/linux/webkit/ComUtils.h"
#include "platform/linux/webkit/GObjectPtr.h"

namespace zel::webkit {

class TSettings final : public TComObject<ICoreWebView2Settings> {
 public:
  explicit TSettings(WebKitSettings* settings);

  HRESULT get_IsScriptEnabled(BOOL* value) override;
  HRESULT put_IsScriptEnabled(BOOL value) override;
  HRESULT get_IsWebMessageEnabled(BOOL* value) override { return PutBool(FWebMessages, value); }
  HRESULT put_IsWebMessageEnabled(BOOL value) override { return Set(FWebMessages, value); }
  HRESULT get_AreDefaultScriptDialogsEnabled(BOOL* value) override;
  HRESULT put_AreDefaultScriptDialogsEnabled(BOOL value) override;
  HRESULT get_IsStatusBarEnabled(BOOL* value) override { return PutBool(FStatusBar, value); }
  HRESULT put_IsStatusBarEnabled(BOOL value) override { return Set(FStatusBar, value); }
  HRESULT get_AreDevToolsEnabled(BOOL* value) override;
  HRESULT put_AreDevToolsEnabled(BOOL value) override;
  HRESULT get_AreDefaultContextMenusEnabled(BOOL* value) override;
  HRESULT put_AreDefaultContextMenusEnabled(BOOL value) override;
  HRESULT get_AreHostObjectsAllowed(BOOL* value) override { return PutBool(FHostObjects, value); }
  HRESULT put_AreHostObjectsAllowed(BOOL value) override { return Set(FHostObjects, value); }
  HRESULT get_IsZoomControlEnabled(BOOL* value) override { return PutBool(FZoomControl, value); }
  HRESULT put_IsZoomControlEnabled(BOOL value) override { return Set(FZoomControl, value); }
  HRESULT get_IsBuiltInErrorPageEnabled(BOOL* value) override;
  HRESULT put_IsBuiltInErrorPageEnabled(BOOL value) override;

  bool WebMessagesEnabled() const { return FWebMessages; }
  bool DefaultScriptDialogs() const { return FScriptDialogs; }
  bool DevToolsEnabled() const;
  bool ContextMenusEnabled() const { return FContextMenus; }
  bool ZoomControlEnabled() const { return FZoomControl; }
  bool BuiltInErrorPage() const { return FErrorPage; }

 private:
  static HRESULT Set(bool& field, BOOL value) {
    field = value != FALSE;
    return S_OK;
  }
  TGObjectPtr<WebKitSettings> FSettings;
  // As WebView2: everything starts enabled.
  bool FWebMessages = true, FScriptDialogs = true, FStatusBar = true, FContextMenus = true,
       FHostObjects = true, FZoomControl = true, FErrorPage = true;
};

}  // namespace zel::webkit
