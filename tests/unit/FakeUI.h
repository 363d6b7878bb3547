// A user interface without a display: records what the host asks of it.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ports/UI.h"

namespace zel::test {

class TFakeFormPeer : public IFormPeer {
 public:
  explicit TFakeFormPeer(IFormEvents& events) : Events(events) {}
  void SetCaption(const std::string& c) override { CaptionText = c; }
  std::string Caption() const override { return CaptionText; }
  void SetBounds(int l, int t, int w, int h) override { BoundsRect = {l, t, l + w, t + h}; }
  TRect Bounds() const override { return BoundsRect; }
  void SetConstraints(int maxW, int maxH, int minW, int minH) override {
    Constraints = {maxW, maxH, minW, minH};
  }
  void SetPosition(TPosition p) override { Position = p; }
  void SetBorderStyle(TFormBorderStyle s) override { Border = s; }
  TFormBorderStyle BorderStyle() const override { return Border; }
  void SetWindowState(TWindowState s) override { State = s; }
  TWindowState WindowState() const override { return State; }
  void SetStayOnTop(bool v) override { OnTop = v; }
  bool StayOnTop() const override { return OnTop; }
  void SetCornerPreference(int v) override { CornerPreference = v; }
  void Show() override { Shown = IsVisible = true; }
  bool Visible() const override { return IsVisible; }
  void Hide() override { IsVisible = false; }
  void Present() override {
    Shown = IsVisible = true;
    ++Presents;
  }
  void Close() override { ++PostedCloses; }
  // Handles the posted close attempts, as the message loop would.
  void ProcessCloses() {
    for (; PostedCloses > 0 && !Closed; --PostedCloses) UserClose();
  }
  // The user's close button.
  void UserClose() {
    ++CloseAttempts;
    if (Events.FormCloseQuery()) {
      Closed = true;
      Events.FormClose();
    }
  }

  IFormEvents& Events;
  std::string CaptionText;
  TRect BoundsRect;
  std::vector<int> Constraints;
  TPosition Position = TPosition::poDesigned;
  TFormBorderStyle Border = TFormBorderStyle::bsSizeable;
  TWindowState State = TWindowState::wsNormal;
  bool OnTop = false, Shown = false, Closed = false, IsVisible = false;
  int CornerPreference = -1, Presents = 0;
  int CloseAttempts = 0, PostedCloses = 0;
};

class TFakeBrowserFormPeer : public IBrowserFormPeer {
 public:
  void SetProgressBarVisible(bool v) override { Progress = v; }
  bool ProgressBarVisible() const override { return Progress; }
  bool Progress = true;
};

class TFakeBrowserHostPeer : public IBrowserHostPeer {
 public:
  explicit TFakeBrowserHostPeer(IControlEvents& events) : Events(events) {}
  void* NativeHandle() override { return this; }
  TRect ClientRect() const override { return Client; }
  bool Visible() const override { return IsVisible; }
  void SetVisible(bool v) override {
    IsVisible = v;
    Events.ControlVisibilityChanged();
  }
  void SetFocus() override { ++FocusCalls; }
  void SelectNext(bool forward) override { SelectNextCalls.push_back(forward); }
  bool IsShortCut(COREWEBVIEW2_KEY_EVENT_KIND kind, unsigned vk, int lparam) override {
    ShortCuts.push_back({static_cast<unsigned>(kind), vk, static_cast<unsigned>(lparam)});
    return AcceptShortCuts;
  }
  void Resize(int w, int h) {
    Client = {0, 0, w, h};
    Events.ControlResized();
  }

  IControlEvents& Events;
  TRect Client{0, 0, 800, 600};
  bool IsVisible = true;
  int FocusCalls = 0;
  std::vector<bool> SelectNextCalls;
  std::vector<std::vector<unsigned>> ShortCuts;
  bool AcceptShortCuts = false;
};

class TFakeFileDialog : public IFileDialogPeer {
 public:
  explicit TFakeFileDialog(TFileDialogKind kind) : Kind(kind) {}
  void SetTitle(const std::string& t) override { Title = t; }
  void SetFileName(const std::string& f) override { Name = f; }
  void ClearFileTypes() override { Types.clear(); }
  void AddFileType(const std::string& n, const std::string& m) override { Types.push_back({n, m}); }
  void SetOverwritePrompt(bool p) override { OverwritePrompt = p; }
  bool Execute() override {
    ++Shown;
    if (Answer.empty()) return false;
    Name = Answer;
    return true;
  }
  std::string FileName() const override { return Name; }

  TFileDialogKind Kind;
  std::string Title, Name;
  std::vector<std::pair<std::string, std::string>> Types;
  bool OverwritePrompt = false;
  int Shown = 0;
  std::string Answer;  // what the user picks; empty cancels
};

// Records the shell requests and answers them as told.
class TFakeShell : public IShell {
 public:
  bool Execute(const std::string& f, const std::string& a, std::string& error) override {
    Executed.push_back({f, a});
    error = FailWith;
    return FailWith.empty();
  }
  bool Explore(const std::string& f, std::string& error) override {
    Explored.push_back(f);
    error = FailWith;
    return FailWith.empty();
  }
  std::string Command(const std::string& c, const std::string& dir, bool show) override {
    Commands.push_back({c, dir, show ? "show" : "hide"});
    return Output;
  }
  std::vector<std::string> WindowTitles() override { return Titles; }

  std::vector<std::vector<std::string>> Executed, Commands;
  std::vector<std::string> Explored;
  std::string FailWith;  // empty: success
  std::string Output;
  std::vector<std::string> Titles;
};

// A menu as a list of the items added, in order, with their parents.
class TFakeMenuPeer : public IMenuPeer {
 public:
  explicit TFakeMenuPeer(IMenuEvents& events) : Events(events) {}
  void Clear() override {
    Items.clear();
    ++Clears;
  }
  void AddItem(int parentKey, const TMenuItemView& item) override {
    Items.push_back({parentKey, item});
  }
  void UpdateItem(const TMenuItemView& item) override {
    for (auto& entry : Items)
      if (entry.second.Key == item.Key) entry.second = item;
  }
  // Data starting with "bad" does not decode.
  bool AddImage(const std::string& data) override {
    if (data.starts_with("bad")) return false;
    Images.push_back(data);
    return true;
  }
  void ClearImages() override { Images.clear(); }
  const TMenuItemView* Find(const std::string& caption) const {
    for (const auto& entry : Items)
      if (entry.second.Caption == caption) return &entry.second;
    return nullptr;
  }

  IMenuEvents& Events;
  std::vector<std::pair<int, TMenuItemView>> Items;  // parent key, item
  std::vector<std::string> Images;
  int Clears = 0;
};

class TFakeTrayIcon : public ITrayIconPeer {
 public:
  TFakeTrayIcon(std::string hint, ITrayIconEvents& events)
      : Hint(std::move(hint)), Events(events), MenuPeer(events) {}
  void SetVisible(bool v) override { IsVisible = v; }
  bool Visible() const override { return IsVisible; }
  IMenuPeer& Menu() override { return MenuPeer; }

  std::string Hint;
  ITrayIconEvents& Events;
  TFakeMenuPeer MenuPeer;
  bool IsVisible = false;
};

class TFakeUI : public IUI {
 public:
  TFakeUI() : FThread(std::this_thread::get_id()) { SetUI(this); }
  ~TFakeUI() override { SetUI(nullptr); }

  std::unique_ptr<IFormPeer> CreateForm(IFormEvents& events) override {
    auto p = std::make_unique<TFakeFormPeer>(events);
    Forms.push_back(p.get());
    return p;
  }
  std::unique_ptr<IBrowserFormPeer> CreateBrowserForm(IFormPeer&) override {
    auto p = std::make_unique<TFakeBrowserFormPeer>();
    BrowserForms.push_back(p.get());
    return p;
  }
  std::unique_ptr<IBrowserHostPeer> CreateBrowserHost(IBrowserFormPeer&,
                                                      IControlEvents& events) override {
    auto p = std::make_unique<TFakeBrowserHostPeer>(events);
    Hosts.push_back(p.get());
    return p;
  }
  std::unique_ptr<IFileDialogPeer> CreateFileDialog(TFileDialogKind kind) override {
    auto p = std::make_unique<TFakeFileDialog>(kind);
    FileDialogs.push_back(p.get());
    if (!NextDialogAnswers.empty()) {
      p->Answer = NextDialogAnswers.front();
      NextDialogAnswers.erase(NextDialogAnswers.begin());
    }
    return p;
  }
  std::unique_ptr<IMenuPeer> CreateMenuBar(IFormPeer&, IMenuEvents& events) override {
    auto p = std::make_unique<TFakeMenuPeer>(events);
    MenuBars.push_back(p.get());
    return p;
  }
  std::unique_ptr<ITrayIconPeer> CreateTrayIcon(const std::string& hint, IFormPeer*,
                                                ITrayIconEvents& events) override {
    auto p = std::make_unique<TFakeTrayIcon>(hint, events);
    TrayIcons.push_back(p.get());
    return p;
  }
  int MessageDialog(const TMessageDialogParams& params) override {
    Dialogs.push_back(params);
    return NextDialogResult;
  }
  void Queue(std::function<void()> fn) override {
    if (std::this_thread::get_id() == FThread) {
      Run(fn);
      return;
    }
    std::lock_guard guard(FLock);
    FQueue.push_back(std::move(fn));
  }
  bool RequirePassword(const std::string& caption, const std::string& password) override {
    PasswordPrompts.push_back(caption + ":" + password);
    return PasswordAnswer;
  }
  std::unique_ptr<IInstallerProgressPeer> ShowInstallerProgress(
      const TInstallerProgressParams& params) override {
    ProgressWindows.push_back(params);
    return std::make_unique<IInstallerProgressPeer>();
  }
  void SetApplicationTitle(const std::string& t) override { AppTitle = t; }
  IShell& Shell() override { return FakeShell; }
  std::unique_ptr<INotificationCenter> CreateNotificationCenter(
      const std::string& appName, std::function<void(const std::string&)> onClick) override;
  void ApplyTheme(const TThemePalette* palette) override { AppliedThemes.push_back(palette); }
  void Run() override { Running = true; }
  void Terminate() override { Running = false; }

  // Runs queued calls until none is left or `until` holds (waits for workers).
  bool Pump(const std::function<bool()>& until, int timeoutMs = 5000);
  void PumpPending();

  // Runs a UI call the way the message loop does: escaping exceptions are
  // reported, not thrown on.
  void Run(const std::function<void()>& fn) {
    try {
      fn();
    } catch (const std::exception& e) {
      Exceptions.push_back(e.what());
    }
  }

  std::vector<std::string> Exceptions;
  std::vector<TMessageDialogParams> Dialogs;
  int NextDialogResult = mrOk;
  std::vector<TFakeFormPeer*> Forms;
  std::vector<TFakeFileDialog*> FileDialogs;
  std::vector<std::string> NextDialogAnswers;
  std::vector<TFakeBrowserFormPeer*> BrowserForms;
  std::vector<TFakeBrowserHostPeer*> Hosts;
  std::vector<TFakeMenuPeer*> MenuBars;
  std::vector<TFakeTrayIcon*> TrayIcons;
  std::string AppTitle;
  bool Running = false;
  TFakeShell FakeShell;
  // "caption:password" of every prompt, and whether the user types it.
  std::vector<std::string> PasswordPrompts;
  bool PasswordAnswer = true;
  std::vector<TInstallerProgressParams> ProgressWindows;
  std::vector<const TThemePalette*> AppliedThemes;
  // The notification service the next centre sees.
  bool NotifySupported = true;
  bool NotifyShowFails = false;
  std::string NotifyAppName;
  // Shown notifications, latest first, as name, title, body.
  std::vector<std::vector<std::string>> Notifications;
  // Clicks the notification with that name, as the platform would.
  std::function<void(const std::string&)> ClickNotification;

 private:
  std::thread::id FThread;
  std::mutex FLock;
  std::deque<std::function<void()>> FQueue;
};

}  // namespace zel::test
