// GTK windows behind the host's forms: the main window, the browser form
// (browser area and progress bar) and the control the browser fills.
#pragma once

#include <gtk/gtk.h>

#include "ports/UI.h"

namespace zel::gtk {

class TGtkFormPeer : public IFormPeer {
 public:
  explicit TGtkFormPeer(IFormEvents& Events);
  ~TGtkFormPeer() override;

  void SetCaption(const std::string& Caption) override;
  std::string Caption() const override;
  void SetBounds(int Left, int Top, int Width, int Height) override;
  TRect Bounds() const override;
  void SetConstraints(int MaxWidth, int MaxHeight, int MinWidth, int MinHeight) override;
  void SetPosition(TPosition Position) override;
  void SetBorderStyle(TFormBorderStyle Style) override;
  TFormBorderStyle BorderStyle() const override { return FBorderStyle; }
  void SetWindowState(TWindowState State) override;
  TWindowState WindowState() const override;
  void SetStayOnTop(bool StayOnTop) override;
  bool StayOnTop() const override { return FStayOnTop; }
  bool Visible() const override;
  void Hide() override;
  void Present() override;
  void Show() override;
  void Close() override;

  GtkWidget* Window() const { return FWindow; }
  // Children of the window's client area stack vertically in this box.
  GtkBox* Content() const { return FContent; }

 private:
  static gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
  static gboolean OnConfigure(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnProperty(GtkWidget*, GdkEventProperty* event, gpointer self);
  static void OnRealize(GtkWidget*, gpointer self);
  void TryClose();
  // Reads the frame's bounds from the window system into FBounds.
  void UpdateBounds();
  // The frame's decorations and functions for FBorderStyle.
  void ApplyFrame();
  // The configured limits, or the client size itself for a fixed border.
  void ApplyGeometryHints();
  void LimitClientSize();
  bool FixedSize() const;

  IFormEvents& FEvents;
  GtkWidget* FWindow;
  GtkBox* FContent;
  TWindowState FState = TWindowState::wsNormal;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  bool FStayOnTop = false;
  // Outer bounds in device pixels as the window system last reported them.
  // X11 answers asynchronously and the getters must not wait, so bounds
  // just asked for count until they are reported or a second has passed.
  TRect FBounds;
  TRect FRequested;
  gint64 FRequestedUntil = 0;
  // The client size (in GTK's units) that a fixed border holds.
  int FClientWidth = 0, FClientHeight = 0;
  int FMaxWidth = 0, FMaxHeight = 0, FMinWidth = 0, FMinHeight = 0;
  bool FClosed = false;
  guint FPendingClose = 0;
};

class TGtkBrowserFormPeer : public IBrowserFormPeer {
 public:
  explicit TGtkBrowserFormPeer(TGtkFormPeer& Parent);
  ~TGtkBrowserFormPeer() override;
  void SetProgressBarVisible(bool Visible) override;
  bool ProgressBarVisible() const override;
  GtkBox* Box() const { return GTK_BOX(FBox); }

 private:
  GtkWidget* FBox;
  GtkWidget* FProgressBar;
  guint FPulse = 0;
};

class TGtkBrowserHostPeer : public IBrowserHostPeer {
 public:
  TGtkBrowserHostPeer(TGtkBrowserFormPeer& Parent, IControlEvents& Events);
  ~TGtkBrowserHostPeer() override;
  void* NativeHandle() override { return FLayout; }
  TRect ClientRect() const override;
  bool Visible() const override;
  void SetVisible(bool Visible) override;
  void SetFocus() override;
  void SelectNext(bool Forward) override;
  bool IsShortCut(COREWEBVIEW2_KEY_EVENT_KIND Kind, unsigned VirtualKey, int LParam) override;

 private:
  static void OnSizeAllocate(GtkWidget*, GdkRectangle*, gpointer self);
  static void OnVisible(GObject*, GParamSpec*, gpointer self);
  static gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnFocusOut(GtkWidget*, GdkEvent*, gpointer self);
  static void OnHierarchyChanged(GtkWidget*, GtkWidget*, gpointer self);
  static gboolean OnToplevelState(GtkWidget*, GdkEventWindowState* event, gpointer self);

  IControlEvents& FEvents;
  GtkWidget* FLayout;
  GtkWidget* FToplevel = nullptr;
  gulong FToplevelHandler = 0;
  TRect FClient;
};

}  // namespace zel::gtk
