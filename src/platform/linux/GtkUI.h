// The GTK 3 user interface of the host.
#pragma once

#include <gtk/gtk.h>

#include <exception>
#include <functional>
#include <thread>

#include "ports/SysUtilsShell.h"
#include "ports/UI.h"

namespace zel::gtk {

class TGtkUI : public IUI {
 public:
  TGtkUI();

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
  void Run() override;
  void Terminate() override;

 private:
  std::thread::id FUIThread;
  bool FTerminated = false;
  bool FRunning = false;
  TSysUtilsShell FShell;
};

}  // namespace zel::gtk
