#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "FakeUI.h"
#include "TestFiles.h"
#include "core/ActivityIndicator.h"
#include "core/Colors.h"
#include "core/LocalizedMessages.h"
#include "core/Paths.h"
#include "host/browser/EdgeLoader.h"
#include "host/startup/EdgeInstaller.h"
#include "host/startup/ExeZipLoader.h"
#include "host/startup/Halt.h"
#include "ports/PlatformNames.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

const std::string kIni = "[App]\nID=demo.app\nName=Demo\nDirName=app\n";

// The start-up on a machine without the browser runtime, with the system
// operations of the runtime flow recorded.
class EdgeInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (sys::PathDelim() == '\\') GTEST_SKIP() << "isolates the data folder through XDG_DATA_HOME";
    sys::SetEnv("XDG_DATA_HOME", Data.string());
    sys::SetEnv("LC_ALL", "C");
    RuntimeInstallerOps() = {[this](const std::string& path) {
                               Checks.push_back(path);
                               return Checks.size() > 1 && InstalledAfter;
                             },
                             [this](const std::string& file, const std::string& params) {
                               Elevated.push_back(file + " " + params);
                               if (!InstallerSawFile) InstallerSawFile = fs::exists(file);
                               return 0;
                             },
                             [this](const std::string& file, const std::string& args) {
                               Started.push_back(file + "|" + args);
                               return true;
                             }};
  }
  void TearDown() override {
    if (sys::PathDelim() == '\\') return;
    UnloadWebView2Loader();
    FinalizeExeZipLoader();
    RuntimeInstallerOps() = TRuntimeInstallerOps::System();
    sys::UnsetEnv("LC_ALL");
  }

  // Runs the start-up of an application with that configuration and
  // package entries; true when it returned.
  bool Start(const std::string& ini, TEntries entries = {}) {
    entries["zel.ini"] = ini;
    MakeApp(Dir.Path() / "app", MakeArchive(entries));
    try {
      LoadExeZip({(Dir.Path() / "app").string(), {}});
      return true;
    } catch (const EHalt& h) {
      EXPECT_EQ(h.ExitCode, 0);
      return false;
    }
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> m;
    for (const TMessageDialogParams& d : UI.Dialogs) m.push_back(d.Message);
    return m;
  }

  TTempDir Dir;
  fs::path Data = Dir.Path() / "data";
  fs::path AppData = Data / "demo.app";
  std::string Installer = (AppData / names::InstallerEntryName()).string();
  TFakeUI UI;
  bool InstalledAfter = false;
  std::optional<bool> InstallerSawFile;
  std::vector<std::string> Checks, Elevated, Started;
};

std::string Msg(int index) {
  return LocalizedMessageFor(index, "en");
}

TEST_F(EdgeInstallerTest, FlowBranches) {
  const std::string script = "#!/bin/sh\nexit 0\n";
  struct Case {
    const char* what;
    std::string ini;
    int answer;
    std::optional<std::string> installer;  // the package entry
    bool installedAfter;
    std::vector<int> messages;
    bool ranInstaller, restarted, dataKept;
  } cases[] = {
      {"not offered", kIni + "EdgeInstaller=0\n", mrOk, script, true, {6}, false, false, true},
      {"declined", kIni, mrCancel, script, true, {7, 8}, false, false, false},
      {"no installer", kIni, mrYes, std::nullopt, true, {7, 9}, false, false, false},
      {"empty installer", kIni, mrYes, "", true, {7, 9}, false, false, false},
      {"installer failed", kIni, mrYes, script, false, {7, 9}, true, false, false},
      {"installed", kIni, mrYes, script, true, {7}, true, true, true},
      {"yes as a word", kIni + "EdgeInstaller=yes\n", mrYes, script, true, {7}, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    UI.Dialogs.clear();
    UI.ProgressWindows.clear();
    Checks.clear(), Elevated.clear(), Started.clear();
    UI.NextDialogResult = c.answer;
    InstalledAfter = c.installedAfter;
    TEntries entries;
    if (c.installer) entries[names::InstallerEntryName()] = *c.installer;
    EXPECT_FALSE(Start(c.ini, entries));
    std::vector<std::string> expected;
    for (int m : c.messages) expected.push_back(Msg(m));
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(Elevated, c.ranInstaller ? std::vector<std::string>{Installer + " /silent /install"}
                                       : std::vector<std::string>{});
    EXPECT_EQ(UI.ProgressWindows.size(), c.ranInstaller ? 1u : 0u);
    EXPECT_EQ(Checks.size(), c.ranInstaller ? 2u : 1u);
    if (c.ranInstaller) {
      EXPECT_EQ(Checks[1], WebView2LoaderPath);
    }
    EXPECT_EQ(Started, c.restarted ? std::vector<std::string>{sys::GetExecutablePath() + "|"}
                                   : std::vector<std::string>{});
    EXPECT_EQ(fs::is_directory(AppData), c.dataKept);
    // A successful installation removes the installer it ran.
    EXPECT_FALSE(fs::exists(Installer) && c.restarted);
    EXPECT_TRUE(UI.PasswordPrompts.empty());
  }
}

TEST_F(EdgeInstallerTest, InstallerIsPlacedWholeAndOwnerOnly) {
  UI.NextDialogResult = mrYes;
  InstalledAfter = false;
  EXPECT_FALSE(Start(kIni, {{names::InstallerEntryName(), "#!/bin/sh\n"}}));
  EXPECT_EQ(InstallerSawFile, true);
  // The failed run removed the folder; place it again and look before.
  TearDown();
  SetUp();
  RuntimeInstallerOps().ShellExecAsAdminAndWait = [&](const std::string& file, const std::string&) {
    const fs::perms p = fs::status(file).permissions();
    EXPECT_EQ(p & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(ReadText(file), "#!/bin/sh\n");
    for (const auto& e : fs::directory_iterator(AppData))
      EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();
    return 0;
  };
  UI.NextDialogResult = mrYes;
  EXPECT_FALSE(Start(kIni, {{names::InstallerEntryName(), "#!/bin/sh\n"}}));
}

TEST_F(EdgeInstallerTest, PresentInstallerRunsUnchanged) {
  WriteText(Installer, "installer of an earlier start");
  UI.NextDialogResult = mrYes;
  InstalledAfter = true;
  RuntimeInstallerOps().ShellExecAsAdminAndWait = [&](const std::string& file, const std::string&) {
    EXPECT_EQ(ReadText(file), "installer of an earlier start");
    return 0;
  };
  EXPECT_FALSE(Start(kIni, {{names::InstallerEntryName(), "newer"}}));
  EXPECT_FALSE(fs::exists(Installer));
}

TEST_F(EdgeInstallerTest, ProgressWindowSettings) {
  using T = TActivityIndicatorType;
  using C = TActivityIndicatorColor;
  struct Case {
    const char* keys;
    unsigned color;
    C indicatorColor;
    T type;
  } cases[] = {
      {"", 0xFF00001A, C::aicWhite, T::aitMomentumDots},
      {"InstallFormColor=$00336699\nInstallIndicatorColor=0\nInstallIndicatorType=2\n", 0x00336699,
       C::aicBlack, T::aitSectorRing},
      {"InstallFormColor=0xFF00000D\nInstallIndicatorType=1\n", 0xFF00000D, C::aicWhite,
       T::aitRotatingSector},
      // Values outside the listed ones keep the defaults.
      {"InstallFormColor=red\nInstallIndicatorColor=7\nInstallIndicatorType=-1\n", 0xFF00001A,
       C::aicWhite, T::aitMomentumDots},
      {"InstallIndicatorColor=-1\nInstallIndicatorType=3\n", 0xFF00001A, C::aicWhite,
       T::aitMomentumDots},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    TearDown();
    SetUp();
    UI.ProgressWindows.clear();
    UI.NextDialogResult = mrYes;
    EXPECT_FALSE(Start(kIni + c.keys, {{names::InstallerEntryName(), "x"}}));
    ASSERT_EQ(UI.ProgressWindows.size(), 1u);
    EXPECT_EQ(UI.ProgressWindows[0].Color, c.color);
    EXPECT_EQ(UI.ProgressWindows[0].IndicatorColor, c.indicatorColor);
    EXPECT_EQ(UI.ProgressWindows[0].IndicatorType, c.type);
  }
}

// An ID that is not one plain folder name never becomes a folder: the start
// ends silently before anything is created.
TEST_F(EdgeInstallerTest, StartRefusesIdsThatAreNoFolderName) {
  for (const char* id : {".", "..", "a/b", "../x", "a\\b", "/", "tab\tid"}) {
    SCOPED_TRACE(id);
    UI.Dialogs.clear();
    FinalizeExeZipLoader();
    EXPECT_FALSE(Start(std::string("[App]\nID=") + id + "\nName=Demo\nDirName=app\n"));
    EXPECT_TRUE(UI.Dialogs.empty());
    EXPECT_TRUE(Checks.empty());
    EXPECT_FALSE(fs::exists(Data));
  }
}

TEST_F(EdgeInstallerTest, DataFolderDeletionGuardsItself) {
  const fs::path keep = Data / "keep.txt";
  const std::string base = IncludeTrailingPathDelimiter(Data.string(), '/');
  struct Case {
    std::string id, path;
  } refused[] = {
      {"", base},
      {" ", base + " /"},
      {".", base + "./"},
      {"..", base + "../"},
      {"a/..", base + "a/../"},
      {"a\\b", base + "a\\b/"},
      {"ctl\x01", base + "ctl\x01/"},
      // The path must be the one the start-up built from the ID.
      {"demo.app", base},
      {"demo.app", base + "other/"},
      {"demo.app", base + "demo.app"},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.id + " " + c.path);
    WriteText(keep, "x");
    fs::create_directories(c.path.empty() ? Data : fs::path(c.path));
    AppID = c.id;
    AppDataDirPath = c.path;
    EXPECT_FALSE(DeleteAppDataDir());
    EXPECT_TRUE(fs::exists(keep));
  }
  // A link in the folder's place is not followed.
  const fs::path elsewhere = Dir.Path() / "elsewhere";
  WriteText(elsewhere / "precious.txt", "x");
  fs::remove_all(AppData);
  fs::create_directory_symlink(elsewhere, AppData);
  AppID = "demo.app";
  AppDataDirPath = base + "demo.app/";
  EXPECT_FALSE(DeleteAppDataDir());
  EXPECT_TRUE(fs::exists(elsewhere / "precious.txt"));
  EXPECT_TRUE(fs::is_symlink(AppData));
  // The real folder goes, with what it holds but not what its links point to.
  fs::remove(AppData);
  WriteText(AppData / "Linux64" / "lib.so", "x");
  fs::create_directory_symlink(elsewhere, AppData / "link");
  EXPECT_TRUE(DeleteAppDataDir());
  EXPECT_FALSE(fs::exists(AppData));
  EXPECT_TRUE(fs::exists(elsewhere / "precious.txt"));
  EXPECT_TRUE(fs::exists(keep));
}

TEST(PlainPathComponent, AcceptsOneFolderNameOnly) {
  for (const char* ok : {"demo.app", "a b", "...", "x..", "Ünïcode", ".hidden"})
    EXPECT_TRUE(IsPlainPathComponent(ok)) << ok;
  for (const char* bad : {"", " ", "   ", ".", "..", "a/b", "/", "a\\b", "\\", "x\ny", "\x7F"})
    EXPECT_FALSE(IsPlainPathComponent(bad)) << bad;
}

TEST(Colors, SystemAndRgbValues) {
  struct Case {
    std::uint32_t color;
    TRGB rgb;
  } cases[] = {
      {0xFF00001A, {0x00, 0x66, 0xCC}},  // hot-track
      {0xFF00000F, {0xF0, 0xF0, 0xF0}},  // button face
      {0xFF000005, {0xFF, 0xFF, 0xFF}},  // window
      {0x00332211, {0x11, 0x22, 0x33}}, {0x000000FF, {0xFF, 0x00, 0x00}},
      {0xFF00001F, {0, 0, 0}},  // no such system colour
      {0xFF123456, {0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.color), c.rgb) << std::hex << c.color;
}

// Every kind draws inside its square, and moves.
TEST(ActivityIndicator, FramesStayInsideAndMove) {
  for (int type : {0, 1, 2, 3, -1}) {
    const auto a = ActivityIndicatorFrame(type, 0.0, 64);
    const auto b = ActivityIndicatorFrame(type, 0.37, 64);
    ASSERT_FALSE(a.empty());
    bool moved = false;
    for (size_t i = 0; i < a.size(); ++i) {
      for (const TIndicatorShape& s : {a[i], b[i]}) {
        EXPECT_GE(s.X - s.Radius, 0) << type;
        EXPECT_LE(s.X + s.Radius, 64) << type;
        EXPECT_GE(s.Y - s.Radius, 0) << type;
        EXPECT_LE(s.Y + s.Radius, 64) << type;
        EXPECT_GE(s.Opacity, 0) << type;
        EXPECT_LE(s.Opacity, 1) << type;
      }
      moved = moved || a[i].X != b[i].X || a[i].Y != b[i].Y || a[i].StartAngle != b[i].StartAngle ||
              a[i].Opacity != b[i].Opacity;
    }
    EXPECT_TRUE(moved) << type;
  }
}

}  // namespace
