// The Win32 IUI: the UI-thread queue, forms, the browser form and its host.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/windows/Win32BrowserForm.h"
#include "platform/windows/Win32Form.h"
#include "platform/windows/Win32UI.h"
#include "ports/UI.h"
#include "tests/windows/TestUtil.h"

namespace zel {
namespace {

using wintest::Pump;

// The real UI, except that message dialogs are recorded instead of shown
// (ReportException shows one).
class TRecordingUI final : public IUI {
 public:
  win::TWin32UI Real;
  std::vector<TMessageDialogParams> Dialogs;

  std::unique_ptr<IFormPeer> CreateForm(IFormEvents& e) override { return Real.CreateForm(e); }
  std::unique_ptr<IBrowserFormPeer> CreateBrowserForm(IFormPeer& p) override {
    return Real.CreateBrowserForm(p);
  }
  std::unique_ptr<IBrowserHostPeer> CreateBrowserHost(IBrowserFormPeer& p,
                                                      IControlEvents& e) override {
    return Real.CreateBrowserHost(p, e);
  }
  std::unique_ptr<IFileDialogPeer> CreateFileDialog(TFileDialogKind Kind) override {
    return Real.CreateFileDialog(Kind);
  }
  int MessageDialog(const TMessageDialogParams& Params) override {
    Dialogs.push_back(Params);
    return mrOk;
  }
  void Queue(std::function<void()> Fn) override { Real.Queue(std::move(Fn)); }
  bool RequirePassword(const std::string& Caption, const std::string& Password) override {
    return Real.RequirePassword(Caption, Password);
  }
  std::unique_ptr<IInstallerProgressPeer> ShowInstallerProgress(
      const TInstallerProgressParams& Params) override {
    return Real.ShowInstallerProgress(Params);
  }
  void SetApplicationTitle(const std::string& Title) override { Real.SetApplicationTitle(Title); }
  IShell& Shell() override { return Real.Shell(); }
  std::unique_ptr<INotificationCenter> CreateNotificationCenter(
      const std::string& AppName, std::function<void(const std::string&)> OnClick) override {
    return Real.CreateNotificationCenter(AppName, std::move(OnClick));
  }
  void ApplyTheme(const TThemePalette* Palette) override { Real.ApplyTheme(Palette); }
  std::unique_ptr<IMenuPeer> CreateMenuBar(IFormPeer& Form, IMenuEvents& Events) override {
    return Real.CreateMenuBar(Form, Events);
  }
  std::unique_ptr<ITrayIconPeer> CreateTrayIcon(const std::string& Hint, IFormPeer* Window,
                                                ITrayIconEvents& Events) override {
    return Real.CreateTrayIcon(Hint, Window, Events);
  }
  void Run() override { Real.Run(); }
  void Terminate() override { Real.Terminate(); }
};

class WinUITest : public testing::Test {
 protected:
  WinUITest() { SetUI(&FUI); }
  ~WinUITest() override {
    Pump();
    SetUI(nullptr);
  }
  TRecordingUI FUI;
};

TEST_F(WinUITest, QueueRunsAtOnceOnTheUIThread) {
  bool ran = false;
  FUI.Queue([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(WinUITest, QueueFromOtherThreadsKeepsEachThreadsOrder) {
  const DWORD uiThread = GetCurrentThreadId();
  constexpr int kThreads = 3, kItems = 200;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> wrongThread = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([&, t] {
      for (int i = 0; i < kItems; ++i)
        FUI.Queue([&, t, i] {
          if (GetCurrentThreadId() != uiThread) ++wrongThread;
          seen[t].push_back(i);
        });
    });
  for (std::thread& w : workers) w.join();
  std::thread([&] { FUI.Queue([&] { FUI.Terminate(); }); }).join();
  FUI.Run();
  EXPECT_EQ(wrongThread, 0);
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<size_t>(kItems)) << t;
    for (int i = 0; i < kItems; ++i) EXPECT_EQ(seen[t][i], i);
  }
}

TEST_F(WinUITest, ExceptionsOfQueuedCallsAreReportedAndTheLoopGoesOn) {
  bool after = false;
  std::thread([&] {
    FUI.Queue([] { throw std::runtime_error("queued failure"); });
    FUI.Queue([&] { after = true; });
    FUI.Terminate();
  }).join();
  FUI.Run();
  EXPECT_TRUE(after);
  ASSERT_EQ(FUI.Dialogs.size(), 1u);
  EXPECT_EQ(FUI.Dialogs[0].Message, "queued failure");
}

// A call run at once on the UI thread reports its exception too: its caller
// may be a runtime callback that must not see it.
TEST_F(WinUITest, ExceptionsOfCallsRunAtOnceAreReported) {
  EXPECT_NO_THROW(FUI.Queue([] { throw std::runtime_error("immediate failure"); }));
  ASSERT_EQ(FUI.Dialogs.size(), 1u);
  EXPECT_EQ(FUI.Dialogs[0].Message, "immediate failure");
}

struct TFormEvents : IFormEvents {
  bool CanClose = true;
  int Queries = 0, Closes = 0;
  std::function<void()> OnClose;
  bool FormCloseQuery() override {
    ++Queries;
    return CanClose;
  }
  void FormClose() override {
    ++Closes;
    if (OnClose) OnClose();
  }
};

HWND HandleOf(IFormPeer& form) {
  return dynamic_cast<win::TWin32FormPeer&>(form).Handle();
}
DWORD StyleOf(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
}
DWORD ExStyleOf(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
}

TEST_F(WinUITest, FormCaptionBoundsAndConstraints) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  form->SetCaption(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE4\xB8\xAD");
  EXPECT_EQ(form->Caption(),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE4\xB8\xAD");
  form->SetBounds(10, 20, 800, 600);
  EXPECT_EQ(form->Bounds(), (TRect{10, 20, 810, 620}));
  form->SetConstraints(500, 400, 300, 200);
  EXPECT_EQ(form->Bounds(), (TRect{10, 20, 510, 420}));
  // The limits hold for later moves, as they do when the user drags the frame.
  form->SetBounds(10, 20, 100, 100);
  EXPECT_EQ(form->Bounds(), (TRect{10, 20, 310, 220}));
  form->SetConstraints(0, 0, 0, 0);
  form->SetBounds(10, 20, 900, 700);
  EXPECT_EQ(form->Bounds(), (TRect{10, 20, 910, 720}));
}

TEST_F(WinUITest, NoBorderStyleMakesAWindowBiggerThanTheDesktop) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const int maxWidth = GetSystemMetrics(SM_CXMAXTRACK), maxHeight = GetSystemMetrics(SM_CYMAXTRACK);
  for (auto style : {TFormBorderStyle::bsSizeable, TFormBorderStyle::bsNone}) {
    form->SetBorderStyle(style);
    form->SetBounds(0, 0, 30000, 30000);
    const TRect b = form->Bounds();
    EXPECT_LE(b.Width(), maxWidth) << static_cast<int>(style);
    EXPECT_LE(b.Height(), maxHeight) << static_cast<int>(style);
    EXPECT_GT(b.Width(), 100) << static_cast<int>(style);
  }
}

TEST_F(WinUITest, BorderStylesGiveTheirFrames) {
  const struct {
    TFormBorderStyle Style;
    bool Caption, Sizeable, Tool, MaximizeBox, ModalFrame;
  } cases[] = {
      {TFormBorderStyle::bsNone, false, false, false, false, false},
      {TFormBorderStyle::bsSingle, true, false, false, true, false},
      {TFormBorderStyle::bsSizeable, true, true, false, true, false},
      {TFormBorderStyle::bsDialog, true, false, false, false, true},
      {TFormBorderStyle::bsToolWindow, true, false, true, false, false},
      {TFormBorderStyle::bsSizeToolWin, true, true, true, false, false},
      {TFormBorderStyle::bsSizeable, true, true, false, true, false},  // and back
  };
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const HWND hwnd = HandleOf(*form);
  for (const auto& c : cases) {
    form->SetBorderStyle(c.Style);
    const int index = static_cast<int>(c.Style);
    EXPECT_EQ((StyleOf(hwnd) & WS_CAPTION) == WS_CAPTION, c.Caption) << index;
    EXPECT_EQ((StyleOf(hwnd) & WS_THICKFRAME) != 0, c.Sizeable) << index;
    EXPECT_EQ((StyleOf(hwnd) & WS_MAXIMIZEBOX) != 0, c.MaximizeBox) << index;
    EXPECT_EQ((ExStyleOf(hwnd) & WS_EX_TOOLWINDOW) != 0, c.Tool) << index;
    EXPECT_EQ((ExStyleOf(hwnd) & WS_EX_DLGMODALFRAME) != 0, c.ModalFrame) << index;
    EXPECT_EQ((StyleOf(hwnd) & WS_MINIMIZEBOX) != 0, c.MaximizeBox) << index;
    EXPECT_EQ((StyleOf(hwnd) & WS_POPUP) != 0, c.Style == TFormBorderStyle::bsNone) << index;
    EXPECT_NE(StyleOf(hwnd) & WS_CLIPCHILDREN, 0u) << index;
  }
}

// The browser is parented to the form's window: a border change must keep
// that window (and the corner preference given to it).
TEST_F(WinUITest, BorderChangesKeepTheWindowAndItsSize) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const HWND hwnd = HandleOf(*form);
  form->SetBounds(10, 20, 640, 480);
  form->Show();
  Pump();
  for (int i = 0; i < 6; ++i) {
    const auto style = static_cast<TFormBorderStyle>(i);
    form->SetBorderStyle(style);
    Pump();
    EXPECT_EQ(HandleOf(*form), hwnd) << i;
    EXPECT_TRUE(IsWindow(hwnd)) << i;
    EXPECT_EQ(form->BorderStyle(), style) << i;
    // Windows keeps the outer rectangle; under Wine the X window manager
    // redraws the frame and may shift it by the frame's few pixels.
    const TRect b = form->Bounds();
    EXPECT_NEAR(b.Width(), 640, 8) << i;
    EXPECT_NEAR(b.Height(), 480, 30) << i;
    // The client area is recomputed for the new frame at once.
    RECT frame{}, client{};
    AdjustWindowRectExForDpi(&frame, StyleOf(hwnd), FALSE, ExStyleOf(hwnd), GetDpiForWindow(hwnd));
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, b.Width() - (frame.right - frame.left)) << i;
    EXPECT_EQ(client.bottom, b.Height() - (frame.bottom - frame.top)) << i;
  }
}

TEST_F(WinUITest, HidePresentAndTopmostReadBack) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const HWND hwnd = HandleOf(*form);
  form->Show();
  Pump();
  form->SetStayOnTop(true);
  EXPECT_TRUE(form->StayOnTop());
  form->SetStayOnTop(false);
  EXPECT_FALSE(form->StayOnTop());
  EXPECT_TRUE(form->Visible());
  form->SetWindowState(TWindowState::wsMinimized);
  form->Hide();
  Pump();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(hwnd));
  form->SetWindowState(TWindowState::wsNormal);
  form->Present();
  Pump();
  EXPECT_TRUE(form->Visible());
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
}

TEST_F(WinUITest, StayOnTopAndWindowState) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const HWND hwnd = HandleOf(*form);
  form->SetStayOnTop(true);
  EXPECT_NE(ExStyleOf(hwnd) & WS_EX_TOPMOST, 0u);
  form->SetStayOnTop(false);
  EXPECT_EQ(ExStyleOf(hwnd) & WS_EX_TOPMOST, 0u);

  form->SetWindowState(TWindowState::wsMaximized);
  EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  form->Show();
  Pump();
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(IsZoomed(hwnd));
  EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
  form->SetWindowState(TWindowState::wsNormal);
  EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
}

TEST_F(WinUITest, DesktopCenterPlacesTheFormAtFirstShow) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  form->SetBounds(0, 0, 400, 300);
  form->SetPosition(TPosition::poDesktopCenter);
  form->Show();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const TRect b = form->Bounds();
  EXPECT_EQ(b.Width(), 400);
  EXPECT_NEAR(b.Left, work.left + (work.right - work.left - 400) / 2, 1);
  EXPECT_NEAR(b.Top, work.top + (work.bottom - work.top - 300) / 2, 1);
}

TEST_F(WinUITest, CloseAsksTheOwnerFirst) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const HWND hwnd = HandleOf(*form);
  events.CanClose = false;
  form->Close();
  // Posted: nothing happens until the current event is over.
  EXPECT_EQ(events.Queries, 0);
  Pump();
  EXPECT_EQ(events.Queries, 1);
  EXPECT_EQ(events.Closes, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  // The system's close command (Alt+F4, the close button) takes the same road.
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(events.Queries, 2);
  EXPECT_TRUE(IsWindow(hwnd));
  events.CanClose = true;
  form->Close();
  Pump();
  EXPECT_EQ(events.Closes, 1);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WinUITest, OwnerMayFreeTheFormWhileItCloses) {
  TFormEvents events;
  auto form = FUI.CreateForm(events);
  const HWND hwnd = HandleOf(*form);
  events.OnClose = [&] { form.reset(); };
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(events.Closes, 1);
  EXPECT_FALSE(form);
  EXPECT_FALSE(IsWindow(hwnd));
}

struct TControlEvents : IControlEvents {
  int Resized = 0, VisibilityChanged = 0, Enter = 0, Exit = 0;
  std::vector<TSysCommand> SysCommands;
  void ControlResized() override { ++Resized; }
  void ControlVisibilityChanged() override { ++VisibilityChanged; }
  void ControlEnter() override { ++Enter; }
  void ControlExit() override { ++Exit; }
  void ControlRecreated() override {}
  void ControlSysCommand(TSysCommand Command) override { SysCommands.push_back(Command); }
};

TEST_F(WinUITest, BrowserFormFillsTheFormWithTheProgressBarBelow) {
  TFormEvents formEvents;
  TControlEvents events;
  auto form = FUI.CreateForm(formEvents);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(0, 0, 640, 480);
  auto browserForm = FUI.CreateBrowserForm(*form);
  auto host = FUI.CreateBrowserHost(*browserForm, events);
  EXPECT_TRUE(browserForm->ProgressBarVisible());
  const int bar = MulDiv(win::TWin32BrowserFormPeer::kProgressBarHeight,
                         static_cast<int>(GetDpiForWindow(HandleOf(*form))), 96);
  EXPECT_EQ(host->ClientRect(), (TRect{0, 0, 640, 480 - bar}));

  const int resizedBefore = events.Resized;
  browserForm->SetProgressBarVisible(false);
  EXPECT_FALSE(browserForm->ProgressBarVisible());
  EXPECT_EQ(host->ClientRect(), (TRect{0, 0, 640, 480}));
  EXPECT_GT(events.Resized, resizedBefore);

  form->SetBounds(0, 0, 500, 300);
  EXPECT_EQ(host->ClientRect(), (TRect{0, 0, 500, 300}));
  EXPECT_TRUE(IsChild(HandleOf(*form), static_cast<HWND>(host->NativeHandle())));
}

TEST_F(WinUITest, BrowserHostRaisesItsEvents) {
  TFormEvents formEvents;
  TControlEvents events;
  auto form = FUI.CreateForm(formEvents);
  auto browserForm = FUI.CreateBrowserForm(*form);
  auto host = FUI.CreateBrowserHost(*browserForm, events);
  const HWND hostWnd = static_cast<HWND>(host->NativeHandle());
  // Two more tab stops after the host, for SelectNext.
  auto addButton = [&] {
    return CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                           GetParent(hostWnd), nullptr, nullptr, nullptr);
  };
  const HWND first = addButton(), last = addButton();
  form->Show();
  Pump();

  host->SetVisible(false);
  EXPECT_FALSE(host->Visible());
  host->SetVisible(true);
  EXPECT_TRUE(host->Visible());
  EXPECT_EQ(events.VisibilityChanged, 2);

  SetFocus(last);
  const int enters = events.Enter, exits = events.Exit;
  host->SetFocus();
  EXPECT_EQ(GetFocus(), hostWnd);
  EXPECT_EQ(events.Enter, enters + 1);
  host->SelectNext(true);
  EXPECT_EQ(GetFocus(), first);
  EXPECT_EQ(events.Exit, exits + 1);
  // Backwards from the host wraps round to the last tab stop.
  host->SelectNext(false);
  EXPECT_EQ(GetFocus(), last);

  SendMessageW(hostWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  SendMessageW(hostWnd, WM_SYSCOMMAND, SC_RESTORE | 2, 0);
  SendMessageW(hostWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  SendMessageW(hostWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(events.SysCommands,
            (std::vector<TSysCommand>{TSysCommand::Minimize, TSysCommand::Restore,
                                      TSysCommand::Maximize, TSysCommand::Other}));
  EXPECT_FALSE(host->IsShortCut(static_cast<COREWEBVIEW2_KEY_EVENT_KIND>(0), 'A', 0));
}

}  // namespace
}  // namespace zel
