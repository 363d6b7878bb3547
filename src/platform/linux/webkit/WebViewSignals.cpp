// The WebKit signals the web view listens to.
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

void TWebView::ConnectSignals() {
  ConnectNavigationSignals();
  ConnectPageSignals();
  ConnectWindowSignals();
}

void TWebView::ConnectNavigationSignals() {
  GObject* view = G_OBJECT(FView.Get());
  g_signal_connect(view, "decide-policy",
                   G_CALLBACK(+[](WebKitWebView*, WebKitPolicyDecision* decision,
                                  WebKitPolicyDecisionType type, gpointer self) -> gboolean {
                     Dispatch(self, 0, [&](TWebView& me) {
                       me.OnDecidePolicy(decision, type);
                       return 0;
                     });
                     return FALSE;  // WebKit's own decision
                   }),
                   this);
  g_signal_connect(view, "load-changed",
                   G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer self) {
                     Dispatch(self, 0, [&](TWebView& me) {
                       me.OnLoadChanged(event);
                       return 0;
                     });
                   }),
                   this);
  g_signal_connect(view, "load-failed",
                   G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, char*, GError* error,
                                  gpointer self) -> gboolean {
                     return Dispatch(self, FALSE, [&](TWebView& me) -> gboolean {
                       return me.OnLoadFailed(event, error);
                     });
                   }),
                   this);
  g_signal_connect(view, "notify::uri", G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
                     Dispatch(self, 0, [](TWebView& me) {
                       me.OnUriChanged();
                       return 0;
                     });
                   }),
                   this);
  g_signal_connect(
      webkit_web_view_get_back_forward_list(FView.Get()), "changed",
      G_CALLBACK(+[](WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer, gpointer self) {
        Dispatch(self, 0, [](TWebView& me) {
          me.FHistoryChanged.Raise(me.Self(), static_cast<IUnknown*>(nullptr));
          return 0;
        });
      }),
      this);
}

// What the page asks of the host: titles, permissions, dialogs, menus,
// messages.
void TWebView::ConnectPageSignals() {
  GObject* view = G_OBJECT(FView.Get());
  g_signal_connect(view, "notify::title", G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
                     Dispatch(self, 0, [](TWebView& me) {
                       me.FDocumentTitleChanged.Raise(me.Self(), static_cast<IUnknown*>(nullptr));
                       return 0;
                     });
                   }),
                   this);
  g_signal_connect(
      view, "permission-request",
      G_CALLBACK(+[](WebKitWebView*, WebKitPermissionRequest* request, gpointer self) -> gboolean {
        return Dispatch(self, FALSE,
                        [&](TWebView& me) -> gboolean { return me.OnPermissionRequest(request); });
      }),
      this);
  g_signal_connect(
      view, "script-dialog",
      G_CALLBACK(+[](WebKitWebView*, WebKitScriptDialog* dialog, gpointer self) -> gboolean {
        return Dispatch(self, FALSE,
                        [&](TWebView& me) -> gboolean { return me.OnScriptDialog(dialog); });
      }),
      this);
  g_signal_connect(view, "context-menu",
                   G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu* menu, GdkEvent*,
                                  WebKitHitTestResult*, gpointer self) -> gboolean {
                     return Dispatch(self, FALSE, [&](TWebView& me) -> gboolean {
                       return me.OnContextMenu(menu);
                     });
                   }),
                   this);
  g_signal_connect(
      view, "user-message-received",
      G_CALLBACK(+[](WebKitWebView*, WebKitUserMessage* message, gpointer self) -> gboolean {
        return Dispatch(self, FALSE,
                        [&](TWebView& me) -> gboolean { return me.OnUserMessage(message); });
      }),
      this);
  g_signal_connect(
      view, "web-process-terminated",
      G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self) {
        Dispatch(self, 0, [](TWebView& me) {
          auto args =
              MakeCom<TProcessFailedArgs>(COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED);
          me.FProcessFailed.Raise(me.Self(),
                                  static_cast<ICoreWebView2ProcessFailedEventArgs*>(args.Get()));
          return 0;
        });
      }),
      this);
}

// Windows: new ones, full screen, closing, the inspector's.
void TWebView::ConnectWindowSignals() {
  GObject* view = G_OBJECT(FView.Get());
  g_signal_connect(
      view, "create",
      G_CALLBACK(+[](WebKitWebView*, WebKitNavigationAction* action, gpointer self) -> GtkWidget* {
        return Dispatch<GtkWidget*>(self, nullptr,
                                    [&](TWebView& me) { return me.OnCreate(action); });
      }),
      this);
  g_signal_connect(view, "enter-fullscreen",
                   G_CALLBACK(+[](WebKitWebView*, gpointer self) -> gboolean {
                     Dispatch(self, 0, [](TWebView& me) {
                       me.OnFullScreen(true);
                       return 0;
                     });
                     return TRUE;  // keeps WebKit from making the window full screen
                   }),
                   this);
  g_signal_connect(view, "leave-fullscreen",
                   G_CALLBACK(+[](WebKitWebView*, gpointer self) -> gboolean {
                     Dispatch(self, 0, [](TWebView& me) {
                       me.OnFullScreen(false);
                       return 0;
                     });
                     return TRUE;
                   }),
                   this);
  g_signal_connect(view, "close", G_CALLBACK(+[](WebKitWebView*, gpointer self) {
                     Dispatch(self, 0, [](TWebView& me) {
                       me.FWindowCloseRequested.Raise(me.Self(), static_cast<IUnknown*>(nullptr));
                       return 0;
                     });
                   }),
                   this);
  // With DevTools off, the inspector must not open by any route: neither in a
  // window of its own nor attached inside the view.
  auto blockInspector = +[](WebKitWebInspector*, gpointer self) -> gboolean {
    return Dispatch(self, TRUE,
                    [](TWebView& me) -> gboolean { return !me.FSettings->DevToolsEnabled(); });
  };
  WebKitWebInspector* inspector = webkit_web_view_get_inspector(FView.Get());
  g_signal_connect(inspector, "open-window", G_CALLBACK(blockInspector), this);
  g_signal_connect(inspector, "attach", G_CALLBACK(blockInspector), this);
}

}  // namespace zel::webkit
