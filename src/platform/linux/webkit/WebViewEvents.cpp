// WebKit's signals turned into the web view's events.
#include <cstring>
#include <vector>

#include "platform/linux/webkit/Popup.h"
#include "platform/linux/webkit/Protocol.h"
#include "platform/linux/webkit/UriMap.h"
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

namespace {

COREWEBVIEW2_PERMISSION_KIND PermissionKind(WebKitPermissionRequest* request) {
  if (WEBKIT_IS_GEOLOCATION_PERMISSION_REQUEST(request))
    return COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION;
  if (WEBKIT_IS_NOTIFICATION_PERMISSION_REQUEST(request))
    return COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS;
  if (WEBKIT_IS_CLIPBOARD_PERMISSION_REQUEST(request))
    return COREWEBVIEW2_PERMISSION_KIND_CLIPBOARD_READ;
  if (WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) {
    auto* media = WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request);
    if (webkit_user_media_permission_is_for_display_device(media))
      return COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION;
    return webkit_user_media_permission_is_for_video_device(media)
               ? COREWEBVIEW2_PERMISSION_KIND_CAMERA
               : COREWEBVIEW2_PERMISSION_KIND_MICROPHONE;
  }
  return COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION;
}

COREWEBVIEW2_SCRIPT_DIALOG_KIND DialogKind(WebKitScriptDialogType type) {
  switch (type) {
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
      return COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM;
    case WEBKIT_SCRIPT_DIALOG_PROMPT:
      return COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT;
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
      return COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD;
    default:
      return COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT;
  }
}

}  // namespace

std::string TWebView::HostSource() const {
  return uri::ToHost(FSource);
}

GtkWidget* TWebView::OnCreate(WebKitNavigationAction* action) {
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* target = request ? webkit_uri_request_get_uri(request) : nullptr;
  auto args = MakeCom<TNewWindowArgs>(uri::ToHost(target ? target : ""),
                                      webkit_navigation_action_is_user_gesture(action) != FALSE);
  FNewWindowRequested.Raise(Self(),
                            static_cast<ICoreWebView2NewWindowRequestedEventArgs*>(args.Get()));
  if (args->Handled() || FClosed) return nullptr;
  return OpenRuntimeWindow(FView.Get());
}

// Every request is answered by the host's handlers (or denied); nobody is
// ever asked.
bool TWebView::OnPermissionRequest(WebKitPermissionRequest* request) {
  auto held = TGObjectPtr<WebKitPermissionRequest>::Ref(request);
  auto args = MakeCom<TPermissionArgs>(HostSource(), PermissionKind(request),
                                       [held](COREWEBVIEW2_PERMISSION_STATE state) {
                                         if (state == COREWEBVIEW2_PERMISSION_STATE_ALLOW)
                                           webkit_permission_request_allow(held.Get());
                                         else
                                           webkit_permission_request_deny(held.Get());
                                       });
  FPermissionRequested.Raise(Self(),
                             static_cast<ICoreWebView2PermissionRequestedEventArgs*>(args.Get()));
  args->HandlersDone();
  return true;
}

// A dialog answered inside the signal only gets its values; WebKit finishes
// it when the signal returns. One answered later, through a deferral, is
// closed by us, as WebKit asks of dialogs kept past the signal.
bool TWebView::OnScriptDialog(WebKitScriptDialog* dialog) {
  if (FSettings->DefaultScriptDialogs()) return false;
  WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(dialog);
  const char* message = webkit_script_dialog_get_message(dialog);
  const char* defaultText = type == WEBKIT_SCRIPT_DIALOG_PROMPT
                                ? webkit_script_dialog_prompt_get_default_text(dialog)
                                : nullptr;
  std::shared_ptr<WebKitScriptDialog> held(webkit_script_dialog_ref(dialog),
                                           webkit_script_dialog_unref);
  auto inSignal = std::make_shared<bool>(true);
  auto apply = [held, type, inSignal](const TScriptDialogArgs::TResult& result) {
    if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM || type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM)
      webkit_script_dialog_confirm_set_confirmed(held.get(), result.Accepted);
    else if (type == WEBKIT_SCRIPT_DIALOG_PROMPT && result.Accepted)
      webkit_script_dialog_prompt_set_text(held.get(), result.Text.c_str());
    if (!*inSignal) webkit_script_dialog_close(held.get());
  };
  auto args = MakeCom<TScriptDialogArgs>(HostSource(), DialogKind(type), message ? message : "",
                                         defaultText ? defaultText : "", apply);
  FScriptDialogOpening.Raise(Self(),
                             static_cast<ICoreWebView2ScriptDialogOpeningEventArgs*>(args.Get()));
  args->HandlersDone();
  *inSignal = false;
  return true;
}

bool TWebView::OnContextMenu(WebKitContextMenu* menu) {
  if (!FSettings->ContextMenusEnabled()) return true;  // handled: no menu at all
  if (!FSettings->DevToolsEnabled()) {
    std::vector<WebKitContextMenuItem*> inspect;
    for (GList* item = webkit_context_menu_get_items(menu); item; item = item->next) {
      auto* entry = static_cast<WebKitContextMenuItem*>(item->data);
      if (webkit_context_menu_item_get_stock_action(entry) ==
          WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT)
        inspect.push_back(entry);
    }
    for (WebKitContextMenuItem* entry : inspect) webkit_context_menu_remove(menu, entry);
  }
  return false;
}

bool TWebView::OnUserMessage(WebKitUserMessage* message) {
  if (std::strcmp(webkit_user_message_get_name(message), protocol::kPageMessage) != 0) return false;
  GVariant* parameters = webkit_user_message_get_parameters(message);
  if (!parameters || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ss)"))) return true;
  if (!FSettings->WebMessagesEnabled()) return true;
  const char *json = nullptr, *frameUri = nullptr;
  g_variant_get(parameters, "(&s&s)", &json, &frameUri);
  auto args = MakeCom<TWebMessageArgs>(uri::ToHost(frameUri), json);
  FWebMessageReceived.Raise(Self(),
                            static_cast<ICoreWebView2WebMessageReceivedEventArgs*>(args.Get()));
  return true;
}

// The element fills the web view; making the window full screen is the
// host's business, as under WebView2.
void TWebView::OnFullScreen(bool entered) {
  if (FFullScreen == entered) return;
  FFullScreen = entered;
  FUsedFullScreen = true;
  FFullScreenChanged.Raise(Self(), static_cast<IUnknown*>(nullptr));
}

}  // namespace zel::webkit
