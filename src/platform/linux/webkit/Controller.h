// ICoreWebView2Controller: places the web view in the host's GTK container
// and turns its focus, key and zoom signals into the controller's events.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <deque>
#include <set>

#include "platform/linux/webkit/Environment.h"
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

class TController final : public TComObject<ICoreWebView2Controller> {
 public:
  using TCompletedHandler = ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;

  // Makes the controller from the main loop and hands it to the handler.
  static void CreateAsync(TComPtr<TEnvironment> environment, GtkWidget* parent,
                          TComPtr<TCompletedHandler> handler);

  HRESULT get_IsVisible(BOOL* isVisible) override { return PutBool(FVisible, isVisible); }
  HRESULT put_IsVisible(BOOL isVisible) override;
  HRESULT get_Bounds(RECT* bounds) override;
  HRESULT put_Bounds(RECT bounds) override;
  HRESULT get_ZoomFactor(double* zoomFactor) override;
  HRESULT put_ZoomFactor(double zoomFactor) override;
  HRESULT add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* handler,
                                EventRegistrationToken* token) override {
    return FZoomChanged.Add(handler, token);
  }
  HRESULT remove_ZoomFactorChanged(EventRegistrationToken token) override {
    return FZoomChanged.Remove(token);
  }
  HRESULT SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) override;
  HRESULT MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override;
  // WebKitGTK keeps Tab inside the page, so focus never asks to leave.
  HRESULT add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* handler,
                                 EventRegistrationToken* token) override {
    return FMoveFocusRequested.Add(handler, token);
  }
  HRESULT remove_MoveFocusRequested(EventRegistrationToken token) override {
    return FMoveFocusRequested.Remove(token);
  }
  HRESULT add_GotFocus(ICoreWebView2FocusChangedEventHandler* handler,
                       EventRegistrationToken* token) override {
    return FGotFocus.Add(handler, token);
  }
  HRESULT remove_GotFocus(EventRegistrationToken token) override { return FGotFocus.Remove(token); }
  HRESULT add_LostFocus(ICoreWebView2FocusChangedEventHandler* handler,
                        EventRegistrationToken* token) override {
    return FLostFocus.Add(handler, token);
  }
  HRESULT remove_LostFocus(EventRegistrationToken token) override {
    return FLostFocus.Remove(token);
  }
  HRESULT add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* handler,
                                    EventRegistrationToken* token) override {
    return FAcceleratorKeyPressed.Add(handler, token);
  }
  HRESULT remove_AcceleratorKeyPressed(EventRegistrationToken token) override {
    return FAcceleratorKeyPressed.Remove(token);
  }
  HRESULT get_ParentWindow(HWND* parentWindow) override;
  HRESULT put_ParentWindow(HWND parentWindow) override;
  HRESULT NotifyParentWindowPositionChanged() override;
  HRESULT Close() override;
  HRESULT get_CoreWebView2(ICoreWebView2** coreWebView2) override;

 private:
  // A key press WebKit will hand back when the page leaves it alone.
  struct TForwardedKey {
    GdkEventType Type;
    guint Keyval;
    guint16 HardwareKeycode;
    guint State;
    guint32 Time;
    std::chrono::steady_clock::time_point Seen;
  };

  TController(TComPtr<TEnvironment> environment, GtkWidget* parent);
  ~TController() override;
  void ConnectSignals();
  void Place();
  GtkWidget* View() const { return FWebView->Widget(); }
  HRESULT CheckOpen() const { return FClosed ? E_INVALID_STATE : S_OK; }
  template <class R, class F>
  static R Dispatch(gpointer self, R fallback, F&& body) {
    TComPtr<TController> keep(static_cast<TController*>(self));
    if (keep->FClosed) return fallback;
    return GuardCallback(fallback, [&] { return body(*keep.Get()); });
  }

  // ControllerInput.cpp
  bool OnKey(GdkEventKey* key);
  bool OnScroll(GdkEventScroll* scroll);
  bool IsHandedBack(const GdkEventKey* key);
  bool RaiseAccelerator(const GdkEventKey* key, unsigned baseKeyval, bool alt, bool wasDown);
  bool ZoomByKey(unsigned baseKeyval);
  bool DevToolsByKey(unsigned baseKeyval, unsigned state);
  void ZoomStep(int direction);

  TComPtr<TWebView> FWebView;
  TGObjectPtr<GtkWidget> FParent;
  RECT FBounds{};
  bool FVisible = true;
  bool FClosed = false;
  std::set<guint16> FKeysDown;
  std::deque<TForwardedKey> FForwarded;

  TEventList<ICoreWebView2ZoomFactorChangedEventHandler> FZoomChanged;
  TEventList<ICoreWebView2MoveFocusRequestedEventHandler> FMoveFocusRequested;
  TEventList<ICoreWebView2FocusChangedEventHandler> FGotFocus, FLostFocus;
  TEventList<ICoreWebView2AcceleratorKeyPressedEventHandler> FAcceleratorKeyPressed;
};

}  // namespace zel::webkit
