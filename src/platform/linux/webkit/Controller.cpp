#include "platform/linux/webkit/Controller.h"

#include <algorithm>
#include <cmath>

#include "platform/linux/webkit/MainLoop.h"

namespace zel::webkit {

namespace {

constexpr double kMinZoom = 0.25, kMaxZoom = 5.0;

}  // namespace

void TController::CreateAsync(TComPtr<TEnvironment> environment, GtkWidget* parent,
                              TComPtr<TCompletedHandler> handler) {
  RunLater([environment, held = TGObjectPtr<GtkWidget>::Ref(parent), handler] {
    TComPtr<TController> controller;
    HRESULT hr = Guard([&] {
      if (gtk_widget_in_destruction(held.Get())) return E_FAIL;
      controller = TComPtr<TController>::Attach(new TController(environment, held.Get()));
      return S_OK;
    });
    handler->Invoke(hr, controller.Get());
  });
}

TController::TController(TComPtr<TEnvironment> environment, GtkWidget* parent)
    : FWebView(MakeCom<TWebView>(std::move(environment))),
      FParent(TGObjectPtr<GtkWidget>::Ref(parent)) {
  // Until the host sets bounds, the view fills what the parent has.
  GtkAllocation area{};
  gtk_widget_get_allocation(parent, &area);
  if (area.width > 1 && area.height > 1) FBounds = {0, 0, area.width, area.height};
  if (GTK_IS_LAYOUT(parent))
    gtk_layout_put(GTK_LAYOUT(parent), View(), FBounds.left, FBounds.top);
  else
    gtk_container_add(GTK_CONTAINER(parent), View());
  Place();
  gtk_widget_set_can_focus(View(), TRUE);
  gtk_widget_show(View());
  ConnectSignals();
}

TController::~TController() {
  Close();
}

void TController::Place() {
  if (!FParent || !GTK_IS_LAYOUT(FParent.Get()) || gtk_widget_get_parent(View()) != FParent.Get())
    return;
  gtk_layout_move(GTK_LAYOUT(FParent.Get()), View(), FBounds.left, FBounds.top);
  gtk_widget_set_size_request(View(), std::max(0, FBounds.right - FBounds.left),
                              std::max(0, FBounds.bottom - FBounds.top));
  // Bounds usually change while the parent is being allocated, when a new
  // size request waits for the next resize: give the view its size now.
  if (gtk_widget_get_realized(FParent.Get()) && gtk_widget_get_visible(View())) {
    gtk_widget_get_preferred_size(View(), nullptr, nullptr);  // GTK asks for it first
    GtkAllocation a{FBounds.left, FBounds.top, std::max(1, FBounds.right - FBounds.left),
                    std::max(1, FBounds.bottom - FBounds.top)};
    gtk_widget_size_allocate(View(), &a);
  }
}

HRESULT TController::put_IsVisible(BOOL isVisible) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  FVisible = isVisible != FALSE;
  gtk_widget_set_visible(View(), FVisible);
  return S_OK;
}

HRESULT TController::get_Bounds(RECT* bounds) {
  if (!bounds) return E_POINTER;
  *bounds = FBounds;
  return S_OK;
}

HRESULT TController::put_Bounds(RECT bounds) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  FBounds = bounds;
  Place();
  return S_OK;
}

HRESULT TController::get_ZoomFactor(double* zoomFactor) {
  if (!zoomFactor) return E_POINTER;
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  *zoomFactor = webkit_web_view_get_zoom_level(WEBKIT_WEB_VIEW(View()));
  return S_OK;
}

HRESULT TController::put_ZoomFactor(double zoomFactor) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (!(zoomFactor > 0) || !std::isfinite(zoomFactor)) return E_INVALIDARG;
  webkit_web_view_set_zoom_level(WEBKIT_WEB_VIEW(View()),
                                 std::clamp(zoomFactor, kMinZoom, kMaxZoom));
  return S_OK;
}

HRESULT TController::SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) {
  HRESULT hr = put_Bounds(bounds);
  return SUCCEEDED(hr) ? put_ZoomFactor(zoomFactor) : hr;
}

HRESULT TController::MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  gtk_widget_grab_focus(View());
  return S_OK;
}

HRESULT TController::get_ParentWindow(HWND* parentWindow) {
  if (!parentWindow) return E_POINTER;
  *parentWindow = FParent.Get();
  return S_OK;
}

HRESULT TController::put_ParentWindow(HWND parentWindow) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  auto* next = static_cast<GtkWidget*>(parentWindow);
  if (next && !GTK_IS_CONTAINER(next)) return E_INVALIDARG;
  if (next == FParent.Get()) return S_OK;
  GtkWidget* view = View();  // the web view keeps its own reference meanwhile
  if (GtkWidget* old = gtk_widget_get_parent(view)) gtk_container_remove(GTK_CONTAINER(old), view);
  FParent = TGObjectPtr<GtkWidget>::Ref(next);
  if (!next) return S_OK;
  if (GTK_IS_LAYOUT(next))
    gtk_layout_put(GTK_LAYOUT(next), view, FBounds.left, FBounds.top);
  else
    gtk_container_add(GTK_CONTAINER(next), view);
  Place();
  return S_OK;
}

// GTK places child widgets relative to their parent itself.
HRESULT TController::NotifyParentWindowPositionChanged() {
  return CheckOpen();
}

HRESULT TController::Close() {
  if (FClosed) return S_OK;
  FClosed = true;
  g_signal_handlers_disconnect_by_data(View(), this);
  FZoomChanged.Clear();
  FMoveFocusRequested.Clear();
  FGotFocus.Clear();
  FLostFocus.Clear();
  FAcceleratorKeyPressed.Clear();
  FWebView->Close();
  FParent.Reset();
  return S_OK;
}

HRESULT TController::get_CoreWebView2(ICoreWebView2** coreWebView2) {
  if (!coreWebView2) return E_POINTER;
  *coreWebView2 = nullptr;
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  *coreWebView2 = TComPtr<ICoreWebView2>(FWebView.Get()).Detach();
  return S_OK;
}

void TController::ConnectSignals() {
  GtkWidget* view = View();
  auto onKey = +[](GtkWidget*, GdkEventKey* key, gpointer self) -> gboolean {
    return Dispatch(self, FALSE, [&](TController& me) -> gboolean { return me.OnKey(key); });
  };
  g_signal_connect(view, "key-press-event", G_CALLBACK(onKey), this);
  g_signal_connect(view, "key-release-event", G_CALLBACK(onKey), this);
  g_signal_connect(view, "scroll-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventScroll* scroll, gpointer self) -> gboolean {
                     return Dispatch(self, FALSE, [&](TController& me) -> gboolean {
                       return me.OnScroll(scroll);
                     });
                   }),
                   this);
  g_signal_connect(view, "focus-in-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                     Dispatch(self, 0, [](TController& me) {
                       me.FGotFocus.Raise(static_cast<ICoreWebView2Controller*>(&me),
                                          static_cast<IUnknown*>(nullptr));
                       return 0;
                     });
                     return FALSE;
                   }),
                   this);
  g_signal_connect(view, "focus-out-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                     Dispatch(self, 0, [](TController& me) {
                       me.FLostFocus.Raise(static_cast<ICoreWebView2Controller*>(&me),
                                           static_cast<IUnknown*>(nullptr));
                       return 0;
                     });
                     return FALSE;
                   }),
                   this);
  g_signal_connect(view, "notify::zoom-level",
                   G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
                     Dispatch(self, 0, [](TController& me) {
                       me.FZoomChanged.Raise(static_cast<ICoreWebView2Controller*>(&me),
                                             static_cast<IUnknown*>(nullptr));
                       return 0;
                     });
                   }),
                   this);
}

}  // namespace zel::webkit
