// A main window on the fake runtime with the start-up's values set as a
// packaged application would have them.
#pragma once

#include "BrowserFixture.h"
#include "TestFiles.h"
#include "core/Calculations.h"
#include "host/ExeZipLoader.h"
#include "host/MainForm.h"

namespace zel::test {

class AppFixture : public BrowserFixture {
 protected:
  void TearDown() override {
    Main.reset();
    ExeZip = nullptr;  // owned here
    ProjectINI = nullptr;
    FinalizeExeZipLoader();
    BrowserFixture::TearDown();
  }

  // Builds the main window for a configuration and a package, and lets the
  // browser finish its creation.
  TMainForm& Open(const std::string& ini, TEntries entries = {},
                  std::vector<std::string> args = {}) {
    Main.reset();
    const int requested = Fake().ControllersRequested();
    FArchive = MakeArchive(entries);
    FZip = std::make_unique<TAbZipKit>();
    FZip->SetPassword(CalculateWidth(kPasswordText, kPasswordKey));
    FZip->Open(std::as_bytes(std::span(FArchive)));
    FIni = std::make_unique<TMemIniFile>();
    FIni->SetStrings(SplitLines(ini));
    ExeZip = FZip.get();
    ProjectINI = FIni.get();
    AppID = FIni->ReadString("App", "ID", "");
    AppName = FIni->ReadString("App", "Name", "");
    AppDirName = FIni->ReadString("App", "DirName", "");
    AppIndexHtml = FIni->ReadString("App", "IndexHtml", "index.html");
    ProgramArgs = std::move(args);
    Main = std::make_unique<TMainForm>();
    UI.Pump([&] { return Fake().ControllersRequested() > requested; });
    Fake().RunPending();
    return *Main;
  }

  TFakeFormPeer& Form() { return *UI.Forms.back(); }
  TBrowserExternalModule& Bridge() { return *Main->FBrowserExternalModule; }

  // Posts a request from a local page; returns the replies it produced.
  std::vector<std::string> Call(const std::string& json,
                                const std::string& source = "file:///index.html") {
    Fake().ClearCalls();
    Fake().RaiseWebMessage(source, json);
    std::vector<std::string> replies;
    for (const std::string& c : Fake().Calls())
      if (c.starts_with("PostWebMessageAsJson ")) replies.push_back(c.substr(21));
    return replies;
  }

  std::unique_ptr<TMainForm> Main;

 private:
  std::string FArchive;
  std::unique_ptr<TAbZipKit> FZip;
  std::unique_ptr<TMemIniFile> FIni;
};

inline const char* kAppIni = "[App]\nID=demo\nName=Demo App\nDirName=app\n";

}  // namespace zel::test
