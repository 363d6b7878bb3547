#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeUI.h"
#include "TestFiles.h"
#include "host/browser/EdgeLoader.h"
#include "host/startup/EdgeInstaller.h"
#include "host/startup/ExeZipLoader.h"
#include "host/startup/Halt.h"
#include "host/startup/StyleManager.h"
#include "ports/PlatformNames.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (sys::PathDelim() == '\\')
      GTEST_SKIP() << "isolates the start-up through the XDG folders and the locale variables "
                      "of Linux; the Windows start-up has smoke tests of its own";
    sys::SetEnv("XDG_DATA_HOME", (Dir.Path() / "data").string());
    sys::SetEnv("LC_ALL", "C");
    sys::SetEnv("WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", "/somewhere");
    RuntimeInstallerOps() = {[this](const std::string& path) {
                               const bool installed = TSysUtils::CheckEdgeIsInstalled(path);
                               RuntimeMissing += installed ? 0 : 1;
                               return installed;
                             },
                             [](const std::string&, const std::string&) { return 0; },
                             [](const std::string&, const std::string&) { return true; }};
    TStyleManager::TrySetStyle("Windows", false);
  }
  void TearDown() override {
    if (sys::PathDelim() == '\\') return;
    UnloadWebView2Loader();
    FinalizeExeZipLoader();
    RuntimeInstallerOps() = TRuntimeInstallerOps::System();
    sys::UnsetEnv("LC_ALL");
  }

  // Packs an application whose archive holds `entries` plus the loader.
  std::string App(TEntries entries, bool withLoader = true) {
    if (withLoader) entries[names::LoaderEntryName()] = ReadText(ZEL_FAKE_RUNTIME);
    const fs::path path = Dir.Path() / "app";
    MakeApp(path, MakeArchive(entries));
    return path.string();
  }

  // Runs the start-up; true when it returned, false when it ended the process.
  bool Start(const std::string& exe, std::vector<std::string> args = {}) {
    try {
      LoadExeZip({exe, std::move(args)});
      return true;
    } catch (const EHalt& h) {
      EXPECT_EQ(h.ExitCode, 0);
      return false;
    }
  }

  TTempDir Dir;
  TFakeUI UI;
  int RuntimeMissing = 0;
};

const char* kIni = "[App]\nID=demo.app\nName=Demo\nDirName=app\n";
// Reports a missing runtime without offering the installer.
const std::string kIniNoInstaller = std::string(kIni) + "EdgeInstaller=0\n";

}  // namespace

TEST_F(StartupTest, BareHostReportsNotAValidApplication) {
  for (const char* language : {"C", "de_DE.UTF-8", "zh_TW.UTF-8", "pt_BR.UTF-8"}) {
    sys::SetEnv("LC_ALL", language);
    UI.Dialogs.clear();
    EXPECT_FALSE(Start(ZEL_TEST_ELF));
    ASSERT_EQ(UI.Dialogs.size(), 1u) << language;
    const TMessageDialogParams& d = UI.Dialogs[0];
    EXPECT_EQ(d.DlgType, TMsgDlgType::mtError);
    ASSERT_EQ(d.Buttons.size(), 1u);
    if (std::string(language).starts_with("de")) {
      EXPECT_EQ(d.Message, "Dies ist keine gültige Windows-Anwendung.");
      EXPECT_EQ(d.Buttons[0].Caption, "Akzeptieren");
      EXPECT_EQ(d.Title, "Error");
    } else if (std::string(language).starts_with("zh")) {
      EXPECT_EQ(d.Message, "这不是有效的Windows应用程序。");
      EXPECT_EQ(d.Title, "错误");
    } else {
      EXPECT_EQ(d.Message, "This is not a valid Windows application.");
      EXPECT_EQ(d.Buttons[0].Caption, "Accept");
    }
  }
}

// Tails that are not a readable archive end the start silently.
TEST_F(StartupTest, UnreadableArchivesEndSilently) {
  const std::string good = MakeArchive({{"zel.ini", kIni}});
  std::string randomIni;
  for (int i = 0; i < 512; ++i) randomIni += static_cast<char>(i * 131 + 7);
  struct Case {
    const char* what;
    std::string tail;
  } cases[] = {
      {"garbage", "this is no zip archive at all"},
      {"one byte", "x"},
      {"truncated", good.substr(0, good.size() - 30)},
      {"wrong password", MakeArchive({{"zel.ini", kIni}}, "other password")},
      {"random zel.ini", MakeArchive({{"zel.ini", randomIni}})},
      {"no ID", MakeArchive({{"zel.ini", "[App]\nName=Demo\nDirName=app\n"}})},
      {"blank ID", MakeArchive({{"zel.ini", "[App]\nID= \t\nName=Demo\nDirName=app\n"}})},
      {"ID ..", MakeArchive({{"zel.ini", "[App]\nID=..\nName=Demo\nDirName=app\n"}})},
      {"ID .", MakeArchive({{"zel.ini", "[App]\nID=.\nName=Demo\nDirName=app\n"}})},
      {"ID ../b", MakeArchive({{"zel.ini", "[App]\nID=../b\nName=Demo\nDirName=app\n"}})},
      {"ID a\\b", MakeArchive({{"zel.ini", "[App]\nID=a\\b\nName=Demo\nDirName=app\n"}})},
      {"ID with a tab", MakeArchive({{"zel.ini", "[App]\nID=a\tb\nName=Demo\nDirName=app\n"}})},
      {"no DirName", MakeArchive({{"zel.ini", "[App]\nID=x\nName=Demo\n"}})},
      {"no zel.ini", MakeArchive({{"app/index.html", "<p>"}})},
  };
  for (const Case& c : cases) {
    MakeApp(Dir.Path() / "app", c.tail);
    EXPECT_FALSE(Start((Dir.Path() / "app").string())) << c.what;
    EXPECT_TRUE(UI.Dialogs.empty()) << c.what;
    EXPECT_EQ(RuntimeMissing, 0) << c.what;
  }
}

TEST_F(StartupTest, PreparesFoldersLoaderAndEnvironment) {
  const std::string exe = App({{"zel.ini", std::string("\xEF\xBB\xBF") + kIni +
                                               "IndexHtml=main.html\nWebviewArguments=   \n"}});
  ASSERT_TRUE(Start(exe));
  EXPECT_EQ(AppID, "demo.app");
  EXPECT_EQ(AppName, "Demo");
  EXPECT_EQ(AppDirName, "app");
  EXPECT_EQ(AppIndexHtml, "main.html");
  const std::string data = (Dir.Path() / "data").string() + "/";
  EXPECT_EQ(AppDataDirPath, data + "demo.app/");
  EXPECT_EQ(AppWin64DirPath, data + "demo.app/" + names::RuntimeFolder());
  EXPECT_EQ(WebView2LoaderPath, AppWin64DirPath + names::LoaderFileName());
  EXPECT_TRUE(fs::is_directory(AppWin64DirPath));
  EXPECT_EQ(ReadText(WebView2LoaderPath), ReadText(ZEL_FAKE_RUNTIME));
  EXPECT_EQ(sys::GetEnv("WEBVIEW2_USER_DATA_FOLDER"), AppWin64DirPath);
  EXPECT_EQ(sys::GetEnv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS"), kDefaultWebviewArguments);
  EXPECT_EQ(sys::GetEnv("WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"), "");
  EXPECT_EQ(RuntimeMissing, 0);

  FinalizeExeZipLoader();
  App({{"zel.ini", std::string(kIni) + "WebviewArguments=--custom-switch\n"}});
  ASSERT_TRUE(Start(exe));
  EXPECT_EQ(sys::GetEnv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS"), "--custom-switch");
}

TEST_F(StartupTest, ExtractedLoaderIsNeverReplaced) {
  const std::string exe = App({{"zel.ini", kIniNoInstaller}});
  // What an earlier version left in the folder stays, even though the
  // archive carries a library.
  const fs::path loader =
      Dir.Path() / "data" / "demo.app" / (names::RuntimeFolder() + names::LoaderFileName());
  WriteText(loader, "an older library");
  EXPECT_FALSE(Start(exe));
  EXPECT_EQ(WebView2LoaderPath, loader.string());
  EXPECT_EQ(ReadText(loader), "an older library");
  EXPECT_EQ(RuntimeMissing, 1);
}

TEST_F(StartupTest, MissingLoaderEntryMeansMissingRuntime) {
  EXPECT_FALSE(Start(App({{"zel.ini", kIniNoInstaller}}, false)));
  EXPECT_EQ(RuntimeMissing, 1);
  EXPECT_TRUE(fs::exists(WebView2LoaderPath));
  EXPECT_EQ(fs::file_size(WebView2LoaderPath), 0u);
}

TEST_F(StartupTest, PasswordPromptAndSecondWindowLaunch) {
  const std::string exe = App({{"zel.ini", std::string(kIni) + "Password=Secret\n"}});
  struct Case {
    std::vector<std::string> args;
    bool prompted;
  } cases[] = {
      {{}, true},
      {{"demo.app"}, false},
      {{"demo.app", "file:///other.html"}, false},
      {{"DEMO.APP", "file:///other.html"}, true},
  };
  for (const Case& c : cases) {
    UI.PasswordPrompts.clear();
    FinalizeExeZipLoader();
    EXPECT_TRUE(Start(exe, c.args));
    EXPECT_EQ(UI.PasswordPrompts.size(), c.prompted ? 1u : 0u);
  }
  EXPECT_EQ(UI.PasswordPrompts, std::vector<std::string>{"Demo:Secret"});
  // Closing the prompt ends the start.
  UI.PasswordAnswer = false;
  FinalizeExeZipLoader();
  EXPECT_FALSE(Start(exe));
  EXPECT_TRUE(UI.Dialogs.empty());
}

TEST_F(StartupTest, ThemeFromTheConfiguration) {
  struct Case {
    const char* theme;
    const char* active;
    size_t dialogs;
  } cases[] = {
      {"Windows", "Windows", 0},
      {"windows10 dark", "Windows10 Dark", 0},
      {"No Such Theme", "Windows", 1},
  };
  for (const Case& c : cases) {
    TStyleManager::TrySetStyle("Windows", false);
    UI.Dialogs.clear();
    FinalizeExeZipLoader();
    ASSERT_TRUE(Start(App({{"zel.ini", std::string(kIni) + "Theme=" + c.theme + "\n"}})));
    EXPECT_EQ(TStyleManager::ActiveStyleName(), c.active);
    ASSERT_EQ(UI.Dialogs.size(), c.dialogs);
    if (c.dialogs) {
      EXPECT_EQ(UI.Dialogs[0].Message, "Style 'No Such Theme' not found");
    }
    EXPECT_FALSE(TStyleManager::MenuHooked());
  }
}
