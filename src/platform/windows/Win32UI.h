// IUI on Win32: the process's windows, dialogs, UI-thread queue and message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ports/SysUtilsShell.h"
#include "ports/UI.h"

namespace zel::win {

class TUIQueueWindow;

class TWin32UI final : public IUI {
 public:
  // On the thread that becomes the UI thread.
  TWin32UI();
  ~TWin32UI() override;

  std::unique_ptr<IFormPeer> CreateForm(IFormEvents& Events) override;
  std::unique_ptr<IBrowserFormPeer> CreateBrowserForm(IFormPeer& Parent) override;
  std::unique_ptr<IBrowserHostPeer> CreateBrowserHost(IBrowserFormPeer& Parent,
                                                      IControlEvents& Events) override;
  std::unique_ptr<IFileDialogPeer> CreateFileDialog(TFileDialogKind Kind) override;
  std::unique_ptr<IMenuPeer> CreateMenuBar(IFormPeer& Form, IMenuEvents& Events) override;
  std::unique_ptr<ITrayIconPeer> CreateTrayIcon(const std::string& Hint, IFormPeer* Window,
                                                ITrayIconEvents& Events) override;
  int MessageDialog(const TMessageDialogParams& Params) override;
  void Queue(std::function<void()> Fn) override;
  bool RequirePassword(const std::string& Caption, const std::string& Password) override;
  std::unique_ptr<IInstallerProgressPeer> ShowInstallerProgress(
      const TInstallerProgressParams& Params) override;
  void SetApplicationTitle(const std::string& Title) override;
  IShell& Shell() override { return FShell; }
  std::unique_ptr<INotificationCenter> CreateNotificationCenter(
      const std::string& AppName, std::function<void(const std::string&)> OnClick) override;
  void ApplyTheme(const TThemePalette* Palette) override;
  const std::string& ApplicationTitle() const { return FTitle; }
  void Run() override;
  void Terminate() override;

 private:
  TSysUtilsShell FShell;
  DWORD FThreadId;
  std::string FTitle;
  std::unique_ptr<TUIQueueWindow> FQueue;
};

}  // namespace zel::win
