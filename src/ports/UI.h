// The user-interface services that the host's forms are built on. Each
// platform supplies one IUI (GTK 3 on Linux, Win32 on Windows); unit tests
// install a fake. All calls happen on the UI thread unless a comment says
// otherwise.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Themes.h"
#include "ports/Shell.h"

namespace zel {

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TPosition { poDesigned, poDefaultPosOnly, poDesktopCenter };

// Message dialogs.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};
// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrClose = 8;
constexpr int mrHelp = 9;
constexpr int mrAll = 12;
constexpr int mrNoToAll = 13;
constexpr int mrYesToAll = 14;

struct TMessageDialogButton {
  std::string Caption;
  int ModalResult = mrNone;
};

struct TMessageDialogParams {
  std::string Title;
  std::string Message;
  TMsgDlgType DlgType = TMsgDlgType::mtInformation;
  // In display order.
  std::vector<TMessageDialogButton> Buttons;
};

// Notifications from a top-level window to its owner.
class IFormEvents {
 public:
  virtual ~IFormEvents() = default;
  // Asked on every attempt to close the window; false keeps it open.
  virtual bool FormCloseQuery() = 0;
  // The window is closing for good.
  virtual void FormClose() = 0;
};

// The runtime's key-event kind (ports/WebView2.h), without the Win32-shaped
// names that header brings into the namespace.
enum COREWEBVIEW2_KEY_EVENT_KIND : std::int32_t;

// The window commands the browser control follows; the rest are Other.
enum class TSysCommand { Minimize, Maximize, Restore, Other };

// Notifications from the windowed control that hosts the browser.
class IControlEvents {
 public:
  virtual ~IControlEvents() = default;
  virtual void ControlResized() = 0;
  virtual void ControlVisibilityChanged() = 0;
  // The control received the keyboard focus.
  virtual void ControlEnter() = 0;
  virtual void ControlExit() = 0;
  // The native window was destroyed and created anew.
  virtual void ControlRecreated() = 0;
  // A system command reached the control.
  virtual void ControlSysCommand(TSysCommand Command) = 0;
};

// A top-level window.
class IFormPeer {
 public:
  virtual ~IFormPeer() = default;
  virtual void SetCaption(const std::string& Caption) = 0;
  virtual std::string Caption() const = 0;
  // The outer bounds (frame included) in device pixels. Before the window is
  // first shown only the size counts: the position mode places it.
  virtual void SetBounds(int Left, int Top, int Width, int Height) = 0;
  virtual TRect Bounds() const = 0;
  // 0 means no limit.
  virtual void SetConstraints(int MaxWidth, int MaxHeight, int MinWidth, int MinHeight) = 0;
  virtual void SetPosition(TPosition Position) = 0;
  virtual void SetBorderStyle(TFormBorderStyle Style) = 0;
  virtual void SetWindowState(TWindowState State) = 0;
  virtual TWindowState WindowState() const = 0;
  virtual void SetStayOnTop(bool StayOnTop) = 0;
  virtual bool StayOnTop() const = 0;
  virtual TFormBorderStyle BorderStyle() const = 0;
  // False while the window is hidden (not merely minimized).
  virtual bool Visible() const = 0;
  // Takes the window off the screen and the taskbar; Present brings it back.
  virtual void Hide() = 0;
  // Shows the window and brings it to the front with the keyboard focus.
  virtual void Present() = 0;
  // The window manager's corner preference (1 square, 2 round, 3 small,
  // 0 default); kept and applied again whenever the window is re-created.
  // Only Windows 11 draws it.
  virtual void SetCornerPreference(int /*Value*/) {}
  virtual void Show() = 0;
  // Posts an attempt to close, handled after the current event as the
  // user's close button would be: IFormEvents::FormCloseQuery decides, then
  // FormClose runs.
  virtual void Close() = 0;
};

// The borderless child form that holds the browser and the progress bar.
class IBrowserFormPeer {
 public:
  virtual ~IBrowserFormPeer() = default;
  virtual void SetProgressBarVisible(bool Visible) = 0;
  virtual bool ProgressBarVisible() const = 0;
};

// The windowed control that the browser fills.
class IBrowserHostPeer {
 public:
  virtual ~IBrowserHostPeer() = default;
  // The parent window handed to the browser runtime.
  virtual void* NativeHandle() = 0;
  virtual TRect ClientRect() const = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool Visible) = 0;
  // Gives the control the keyboard focus.
  virtual void SetFocus() = 0;
  // Moves the focus to the next (or previous) tab stop after the control.
  virtual void SelectNext(bool Forward) = 0;
  // Offers a key event to the top-level form's shortcuts; true when used.
  virtual bool IsShortCut(COREWEBVIEW2_KEY_EVENT_KIND Kind, unsigned VirtualKey, int LParam) = 0;
};

enum class TFileDialogKind { Open, Save, Folder };

// A file or folder dialog that keeps its settings between uses.
class IFileDialogPeer {
 public:
  virtual ~IFileDialogPeer() = default;
  virtual void SetTitle(const std::string& Title) = 0;
  // The text the file-name box starts with.
  virtual void SetFileName(const std::string& FileName) = 0;
  virtual void ClearFileTypes() = 0;
  // The first type added is selected when the dialog opens.
  virtual void AddFileType(const std::string& DisplayName, const std::string& Mask) = 0;
  // Save dialogs: ask before an existing file is returned.
  virtual void SetOverwritePrompt(bool Prompt) = 0;
  // Shows the dialog modally, owned by the active window; true when the
  // user confirmed a choice.
  virtual bool Execute() = 0;
  // The chosen file or folder as a full path.
  virtual std::string FileName() const = 0;
};

// The progress window shown while the browser runtime installs.
enum class TActivityIndicatorType { aitMomentumDots, aitRotatingSector, aitSectorRing };
enum class TActivityIndicatorColor { aicBlack, aicWhite };

struct TInstallerProgressParams {
  // Background: 00BBGGRR, or FF0000nn for system colour nn (26, hot-track).
  unsigned Color = 0xFF00001A;
  TActivityIndicatorColor IndicatorColor = TActivityIndicatorColor::aicWhite;
  TActivityIndicatorType IndicatorType = TActivityIndicatorType::aitMomentumDots;
};

// The shown progress window; it disappears with the object.
class IInstallerProgressPeer {
 public:
  virtual ~IInstallerProgressPeer() = default;
};

// The platform's desktop notifications. Clicks arrive through the OnClick
// given at creation, on the UI thread.
class INotificationCenter {
 public:
  virtual ~INotificationCenter() = default;
  // A notification service answers the process.
  virtual bool Supported() = 0;
  // Shows a notification at once; an earlier one of the same name is
  // replaced. False when it could not be shown.
  virtual bool Present(const std::string& Name, const std::string& Title,
                       const std::string& Body) = 0;
};

// One item of a menu as the toolkit shows it. Key names the item between
// the host and the peer; it is unique within its menu until the menu is
// cleared and is never the page's id.
struct TMenuItemView {
  int Key = 0;
  std::string Caption;  // "&" marks the access key; "-" alone is a separator
  bool Enabled = true;
  int ImageIndex = -1;      // into the menu's images; -1 none
  bool HasSubmenu = false;  // opens a submenu; never clicked itself
};

class IMenuEvents {
 public:
  virtual ~IMenuEvents() = default;
  // The user chose an item without a submenu.
  virtual void MenuItemClick(int Key) = 0;
};

// A menu bar or a pop-up menu with its own list of images.
class IMenuPeer {
 public:
  virtual ~IMenuPeer() = default;
  // Removes every item (the images stay).
  virtual void Clear() = 0;
  // Appends an item to the top level (ParentKey 0) or to the submenu of the
  // item with ParentKey, which was added with HasSubmenu.
  virtual void AddItem(int ParentKey, const TMenuItemView& Item) = 0;
  // Shows new caption, enabled state and image of the item with Item.Key.
  virtual void UpdateItem(const TMenuItemView& Item) = 0;
  // Decodes image data (any format the platform reads) at menu icon size and
  // appends it to the images; false, and nothing appended, when it cannot.
  virtual bool AddImage(const std::string& Data) = 0;
  virtual void ClearImages() = 0;
};

class ITrayIconEvents : public IMenuEvents {
 public:
  // A left click on the icon.
  virtual void TrayIconClick() = 0;
};

// The icon in the notification area, with its pop-up menu (opened by a right
// click, after the application's window comes to the front).
class ITrayIconPeer {
 public:
  virtual ~ITrayIconPeer() = default;
  virtual void SetVisible(bool Visible) = 0;
  virtual bool Visible() const = 0;
  virtual IMenuPeer& Menu() = 0;
};

class IUI {
 public:
  virtual ~IUI() = default;

  virtual std::unique_ptr<IFormPeer> CreateForm(IFormEvents& Events) = 0;
  virtual std::unique_ptr<IBrowserFormPeer> CreateBrowserForm(IFormPeer& Parent) = 0;
  virtual std::unique_ptr<IBrowserHostPeer> CreateBrowserHost(IBrowserFormPeer& Parent,
                                                              IControlEvents& Events) = 0;

  virtual std::unique_ptr<IFileDialogPeer> CreateFileDialog(TFileDialogKind Kind) = 0;

  // The window's menu bar, shown from now on above the window's content.
  virtual std::unique_ptr<IMenuPeer> CreateMenuBar(IFormPeer& Form, IMenuEvents& Events) = 0;
  // A hidden tray icon showing the application's icon, with Hint as its
  // tooltip; Window comes to the front before the menu opens.
  virtual std::unique_ptr<ITrayIconPeer> CreateTrayIcon(const std::string& Hint, IFormPeer* Window,
                                                        ITrayIconEvents& Events) = 0;

  // Shows a modal message dialog and returns its modal result.
  virtual int MessageDialog(const TMessageDialogParams& Params) = 0;

  // Runs fn on the UI thread: at once when called there, otherwise when the
  // UI thread next processes its queue. May be called from any thread. An
  // exception that escapes Fn, or any handler the UI calls, goes to
  // ReportException.
  virtual void Queue(std::function<void()> Fn) = 0;

  // The start-up's password prompt: a modal window captioned Caption with one
  // password field, closed by itself once the field holds exactly Password
  // (true); false when the user closed it any other way.
  virtual bool RequirePassword(const std::string& Caption, const std::string& Password) = 0;

  // Shows the borderless, animated 80 x 80 progress window, centred, with no
  // taskbar entry; the user cannot close it.
  virtual std::unique_ptr<IInstallerProgressPeer> ShowInstallerProgress(
      const TInstallerProgressParams& Params) = 0;

  virtual void SetApplicationTitle(const std::string& Title) = 0;

  // The desktop shell's services (zel.shell).
  virtual IShell& Shell() = 0;
  // AppName labels the notifications; OnClick receives a clicked one's name.
  virtual std::unique_ptr<INotificationCenter> CreateNotificationCenter(
      const std::string& AppName, std::function<void(const std::string& Name)> OnClick) = 0;

  // Paints the host's own windows, their dialogs and tooltips with a palette;
  // null restores the system's look. Popup menus keep the system look.
  virtual void ApplyTheme(const TThemePalette* Palette) = 0;
  // Runs the message loop until Terminate.
  virtual void Run() = 0;
  virtual void Terminate() = 0;
};

// The process's UI, installed by the platform's entry point (or a test).
IUI& UI();
void SetUI(IUI* Ui);

// The application's report of an exception that escaped an event handler:
// an error dialog with the exception's message; the program goes on.
void ReportException(std::exception_ptr Error) noexcept;

}  // namespace zel
