#include <windows.h>

#include <commctrl.h>

#include "platform/windows/Win32UI.h"

#include <deque>
#include <mutex>

#include "platform/windows/Win32BrowserForm.h"
#include "platform/windows/Win32FileDialog.h"
#include "platform/windows/Win32Form.h"
#include "platform/windows/Win32Menus.h"
#include "platform/windows/Win32MessageDialog.h"
#include "platform/windows/Win32Window.h"

namespace zel::win {

// A message-only window: functions queued from other threads run when the UI
// thread's message loop (or any modal loop inside it) reaches their message.
class TUIQueueWindow final : public TWindow {
 public:
  static constexpr const wchar_t* kClassName = L"ZelUIQueue";
  static constexpr UINT kRunQueue = WM_APP + 1;

  TUIQueueWindow() {
    RegisterWindowClass(kClassName, nullptr);
    CreateHandle(kClassName, 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    FTarget = Handle();
  }

  void Post(std::function<void()> Fn) {
    {
      std::lock_guard lock(FLock);
      FPending.push_back(std::move(Fn));
    }
    PostMessageW(FTarget, kRunQueue, 0, 0);
  }

 protected:
  // One message per queued function, each running the oldest: the order
  // holds even when a function opens a modal loop that serves the queue.
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != kRunQueue) return TWindow::WndProc(msg, wParam, lParam);
    std::function<void()> fn;
    {
      std::lock_guard lock(FLock);
      if (FPending.empty()) return 0;
      fn = std::move(FPending.front());
      FPending.pop_front();
    }
    fn();  // an exception goes to ReportException in TWindow
    return 0;
  }

 private:
  std::mutex FLock;
  std::deque<std::function<void()>> FPending;
  // Other threads post here; set once, before any of them can see this object.
  HWND FTarget = nullptr;
};

TWin32UI::TWin32UI() : FThreadId(GetCurrentThreadId()) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  FQueue = std::make_unique<TUIQueueWindow>();
}

TWin32UI::~TWin32UI() = default;

std::unique_ptr<IFormPeer> TWin32UI::CreateForm(IFormEvents& Events) {
  return std::make_unique<TWin32FormPeer>(Events);
}

std::unique_ptr<IBrowserFormPeer> TWin32UI::CreateBrowserForm(IFormPeer& Parent) {
  return std::make_unique<TWin32BrowserFormPeer>(dynamic_cast<TWin32FormPeer&>(Parent).Handle());
}

std::unique_ptr<IBrowserHostPeer> TWin32UI::CreateBrowserHost(IBrowserFormPeer& Parent,
                                                              IControlEvents& Events) {
  return std::make_unique<TWin32BrowserHostPeer>(
      dynamic_cast<TWin32BrowserFormPeer&>(Parent).Handle(), Events);
}

std::unique_ptr<IFileDialogPeer> TWin32UI::CreateFileDialog(TFileDialogKind Kind) {
  return std::make_unique<TWin32FileDialogPeer>(Kind);
}

std::unique_ptr<IMenuPeer> TWin32UI::CreateMenuBar(IFormPeer& Form, IMenuEvents& Events) {
  return std::make_unique<TWin32MenuBarPeer>(dynamic_cast<TWin32FormPeer&>(Form), Events);
}

std::unique_ptr<ITrayIconPeer> TWin32UI::CreateTrayIcon(const std::string& Hint, IFormPeer* Window,
                                                        ITrayIconEvents& Events) {
  return std::make_unique<TWin32TrayIcon>(Hint, dynamic_cast<TWin32FormPeer*>(Window), Events);
}

int TWin32UI::MessageDialog(const TMessageDialogParams& Params) {
  return ShowMessageDialog(Params, FTitle);
}

void TWin32UI::Queue(std::function<void()> Fn) {
  if (GetCurrentThreadId() == FThreadId) {
    // Run at once, but reported like a posted call: the caller may be a
    // runtime callback, which must not see the exception (it would swallow
    // it, or worse).
    try {
      Fn();
    } catch (...) {
      ReportException(std::current_exception());
    }
    return;
  }
  FQueue->Post(std::move(Fn));
}

void TWin32UI::SetApplicationTitle(const std::string& Title) {
  FTitle = Title;
}

void TWin32UI::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TWin32UI::Terminate() {
  if (GetCurrentThreadId() == FThreadId)
    PostQuitMessage(0);
  else
    FQueue->Post([] { PostQuitMessage(0); });
}

}  // namespace zel::win
